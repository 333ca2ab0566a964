#include "core/catalogue/dcf_info.h"
#include "core/playback/media_controller.h"
#include "core/playback/media_controller_manager.h"
#include "support/scratch_mount.h"
#include "support/temp_card.h"
#include "support/test_paths.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"
#include "ui/app/my_document_controller.h"
#include "ui/app/path_control.h"
#include "ui/catalogue/select_removable_disk_view_controller.h"
#include "ui/settings/dvr_setting_rynd_view_controller.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

constexpr int kWait = 60000;

class SettingsCommandTest : public ::testing::Test {
 protected:
  void TearDown() override {
    MediaControllerManager::sharedInstance()->updateMasterController(nullptr);
    MyDocumentController::sharedDocumentController()->reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static SampleCardOptions smallCard() {
    SampleCardOptions options;
    options.clips = 2;
    options.encodeVideos = false;
    return options;
  }
  MainWindowController* openCard(const QString& path) {
    MyDocument* document = MyDocumentController::sharedDocumentController()->openDocumentWithContentsOfURL(path, true);
    if (!document || !QTest::qWaitFor([&] { return !document->windowControllers().isEmpty(); }, kWait)) return nullptr;
    return document->windowControllers().first();
  }
  // Runs the command and picks the entry whose name starts with `name`.
  static bool choose(MainWindowController* window, const QString& name) {
    window->openUnitSettingView();
    auto* chooser = window->findChild<SelectRemovableDiskViewController*>();
    if (!chooser || chooser->okButton()->isEnabled()) return false;
    const qsizetype index = chooser->mountVolumeNames().indexOf(QRegularExpression(QRegularExpression::escape(name) + ".*"));
    if (index < 0) return false;
    chooser->mountVolumeSelectComboBox()->setCurrentIndex(int(index));
    if (!chooser->okButton()->isEnabled()) return false;
    chooser->okButton()->click();
    return chooser->isHidden();
  }
  static QMessageBox* alert(const QString& name) {
    for (QWidget* widget : QApplication::allWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->objectName() == name && box->isVisible()) return box;
    }
    return nullptr;
  }
  static DvrSettingRyndViewController* editor(MainWindowController* window) {
    auto* sheet = window->findChild<DvrSettingRyndWindowController*>();
    return sheet && sheet->isVisible() ? sheet->contentViewController() : nullptr;
  }
  static QAbstractButton* button(DvrSettingRyndViewController* editor, const char* name) {
    return editor->findChild<QAbstractButton*>(QString::fromLatin1(name));
  }
};

TEST_F(SettingsCommandTest, EditsTheOpenCardsSettingsFileAndTheCliReadsIt) {
  test::TempCard card(smallCard());
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const QString settingsPath = card.path(QStringLiteral("rynd_settings.ini"));
  QFile file(settingsPath);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("IMPACT_LEVEL L5\r\nAUDIO OFF\r\n");
  file.close();
  MainWindowController* window = openCard(card.root());
  ASSERT_NE(window, nullptr);

  ASSERT_TRUE(choose(window, QFileInfo(card.root()).fileName()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor(window) != nullptr; }, kWait));
  EXPECT_EQ(alert(QStringLiteral("SettingsLoadFailedAlert")), nullptr);
  DvrSettingRyndViewController* sheet = editor(window);
  EXPECT_EQ(sheet->settingValues().imapctLevelValue(), QStringLiteral("L5"));
  EXPECT_EQ(sheet->window()->size(), QSize(600, 400));
  button(sheet, "vctButton3min")->click();
  button(sheet, "wifiLanButton5GHz")->click();
  sheet->okButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return alert(QStringLiteral("SettingsSavedAlert")) != nullptr; }, kWait));
  alert(QStringLiteral("SettingsSavedAlert"))->accept();
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor(window) == nullptr; }, kWait));

  const test::CliResult cli = test::runCli({QStringLiteral("settings"), card.root(), QStringLiteral("--json")});
  ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
  const QJsonObject json = QJsonDocument::fromJson(cli.out.toUtf8()).object();
  EXPECT_EQ(json.value(QStringLiteral("imapctLevelValue")).toString(), QStringLiteral("L5"));
  EXPECT_EQ(json.value(QStringLiteral("audioValue")).toString(), QStringLiteral("OFF"));
  EXPECT_EQ(json.value(QStringLiteral("videoClipTimeValue")).toString(), QStringLiteral("3min"));
  EXPECT_EQ(json.value(QStringLiteral("wifiLanValue")).toString(), QStringLiteral("5G"));
  EXPECT_FALSE(cli.err.contains(QStringLiteral("Failed to load")));
}

TEST_F(SettingsCommandTest, AMissingFileGivesDefaultsAndAFailedWriteKeepsTheEditorOpen) {
  // Root writes through file modes, so a read-only mount is needed there.
  std::unique_ptr<test::ScratchMount> mount;
  QTemporaryDir plain;
  QString folder = plain.path();
  if (geteuid() == 0) {
    mount = std::make_unique<test::ScratchMount>(1 << 20, true);
    if (!mount->ok()) GTEST_SKIP() << "cannot mount a read-only scratch disk";
    folder = mount->path();
  } else {
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
  }
  auto* window = MainWindowController::windowController();
  window->didMountVolume({{}, QStringLiteral("LOCKED"), folder, QUrl::fromLocalFile(folder + QLatin1Char('/')).toString()});
  ASSERT_TRUE(choose(window, QStringLiteral("LOCKED")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return alert(QStringLiteral("SettingsLoadFailedAlert")) != nullptr; }, kWait));
  EXPECT_EQ(alert(QStringLiteral("SettingsLoadFailedAlert"))->informativeText(), QStringLiteral("Apply the default settings"));
  EXPECT_EQ(editor(window), nullptr) << "the editor follows the alert";
  alert(QStringLiteral("SettingsLoadFailedAlert"))->accept();
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor(window) != nullptr; }, kWait));
  EXPECT_EQ(editor(window)->settingValues(), RyndSettingInfo());

  editor(window)->okButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return alert(QStringLiteral("SettingsWriteFailedAlert")) != nullptr; }, kWait));
  EXPECT_EQ(alert(QStringLiteral("SettingsWriteFailedAlert"))->icon(), QMessageBox::Critical);
  alert(QStringLiteral("SettingsWriteFailedAlert"))->accept();
  QTest::qWait(0);
  ASSERT_NE(editor(window), nullptr) << "the editor stays open for another try";
  EXPECT_FALSE(QFile::exists(QDir(folder).filePath(QStringLiteral("rynd_settings.ini"))));
  editor(window)->cancelButton()->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor(window) == nullptr; }, kWait));
  if (!mount) ::chmod(QFile::encodeName(folder).constData(), 0755);
  delete window;
}

TEST_F(SettingsCommandTest, TheChooserPicksTheVolumeShownEvenWhenANamelessOneIsSkipped) {
  SelectRemovableDiskViewController chooser;
  QList<SelectRemovableDiskViewController*> chosen;
  QObject::connect(&chooser, &SelectRemovableDiskViewController::selectOK, [&](auto* sender) { chosen << sender; });
  chooser.setMountVolumes({{QStringLiteral("file:///media/A/"), {{}, {}, QStringLiteral("/media/A"), {}}},
                           {QStringLiteral("file:///media/B/"), {{}, QStringLiteral("CARD"), QStringLiteral("/media/B"), {}}}});
  EXPECT_EQ(chooser.mountVolumeNames(), QStringList{QStringLiteral("CARD")});
  EXPECT_FALSE(chooser.okButton()->isEnabled());
  chooser.mountVolumeSelectComboBox()->setCurrentIndex(0);
  chooser.okButton()->click();
  ASSERT_EQ(chosen.size(), 1);
  EXPECT_EQ(chooser.selectedVolume()->devicePath, QStringLiteral("/media/B"));
}

TEST_F(SettingsCommandTest, ARenamedCardKeepsItsCatalogueUnderTheNewMountPath) {
  test::TempCard card(smallCard());
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  MainWindowController* window = openCard(card.root());
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(window->mediaController()->catalogue()->mediaTree().isEmpty());
  const QString oldRoot = QDir::cleanPath(card.root());
  const QString newRoot = oldRoot + QStringLiteral("-TRIP");
  auto record = [](const QString& path) {
    return VolumeInformation{{}, QFileInfo(path).fileName(), path,
                             QUrl::fromLocalFile(path + QLatin1Char('/')).toString(QUrl::FullyEncoded)};
  };
  // Every window hears of the rename; only the one showing the card follows.
  MyDocument* empty = MyDocumentController::sharedDocumentController()->newDocument();
  ASSERT_NE(empty, nullptr);
  MainWindowController* other = empty->targetWindowController();
  ASSERT_NE(other, window);
  const QString otherPath = other->pathControl()->path();
  for (MainWindowController* each : {window, other}) each->didMountVolume(record(oldRoot));
  ASSERT_TRUE(QDir().rename(oldRoot, newRoot));
  for (MainWindowController* each : {window, other}) each->didRenameVolume(record(newRoot), record(oldRoot).fullPath);
  EXPECT_EQ(window->mediaController()->catalogue()->mediaTree().first()->rootPath(), newRoot);
  EXPECT_EQ(window->mountingVolumes().keys(), QStringList{record(newRoot).fullPath});
  EXPECT_EQ(window->pathControl()->path(), newRoot);
  EXPECT_EQ(window->document()->fileURL(), newRoot);
  EXPECT_EQ(other->pathControl()->path(), otherPath);
  EXPECT_EQ(other->mountingVolumes().keys(), QStringList{record(newRoot).fullPath});
  MyDocumentController::sharedDocumentController()->reset();
  ASSERT_TRUE(QDir().rename(newRoot, oldRoot));
}

}  // namespace
}  // namespace dashcard
