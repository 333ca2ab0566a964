#include "core/common/main_thread.h"
#include "core/playback/media_controller.h"
#include "support/temp_card.h"
#include "support/wait_for.h"
#include "ui/catalogue/dcf_info_table_model.h"
#include "ui/catalogue/dcf_list_view_controller.h"
#include "ui/export/progress_view_controller.h"

#include <QDateTimeEdit>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QMessageBox>
#include <QTimer>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <algorithm>

namespace dashcard {
namespace {

constexpr int kWait = 60000;

// A file list wired to a real media controller, as the window wires it.
class ListCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& card = test::sharedCard();
    for (const SampleClip& clip : card.clips()) {
      infos.append(std::make_shared<DCFInfo>(card.root(), clip.frontPath));
    }
    list = new DCFListViewController(&window);
    window.resize(500, 400);
    list->resize(500, 400);
    list->setMediaController(&mc);
    mc.setDcfListVC(list);
    list->reloadDCFInfo(infos, infos);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void TearDown() override {
    mc.dispose();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Chooses `path` in the command's save panel.
  bool choose(const QString& path) {
    QFileDialog* panel = list->savePanel();
    if (!panel || !panel->isVisible()) return false;
    panel->selectFile(path);
    QMetaObject::invokeMethod(panel, "accept", Qt::DirectConnection);
    return !panel->isVisible();
  }
  ProgressViewController* sheet() const { return window.findChild<ProgressViewController*>(); }

  QWidget window;
  MediaController mc;
  DCFListViewController* list = nullptr;
  DCFInfoList infos;
  QTemporaryDir target;
};

TEST_F(ListCommandTest, ExportRunsToCompletionAndCancelLeavesNoFile) {
  list->exportKML();
  ASSERT_NE(list->savePanel(), nullptr);
  EXPECT_FALSE(mc.catalogue()->canReloadMedia());
  EXPECT_TRUE(list->savePanel()->selectedFiles().value(0).endsWith(QStringLiteral("ROUTE.kml")));
  // A name without the kml or kmz ending gets the chosen type's ending.
  const QString kmz = target.filePath(QStringLiteral("trip ü one.kmz"));
  ASSERT_TRUE(choose(kmz));
  ASSERT_NE(sheet(), nullptr);
  EXPECT_FALSE(list->validateAction(DCFListViewController::Action::ExportKML));
  ASSERT_TRUE(QTest::qWaitFor([&] { return sheet()->infoLabelText() == QStringLiteral("KML/KMZ export is complete"); }, kWait));
  EXPECT_EQ(sheet()->cancelButton()->text(), QStringLiteral("Finish"));
  EXPECT_GT(QFileInfo(kmz).size(), 0) << QDir(target.path()).entryList().join(QStringLiteral(", ")).toStdString();
  QPointer<ProgressViewController> finished = sheet();
  finished->cancelButton()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(finished.isNull());
  EXPECT_TRUE(QTest::qWaitFor([&] { return mc.catalogue()->canReloadMedia(); }, kWait));

  // Cancelled at once: no file, no sheet, reloading allowed again.
  list->exportKML();
  const QString cancelled = target.filePath(QStringLiteral("cancelled.kml"));
  ASSERT_TRUE(choose(cancelled));
  ASSERT_NE(sheet(), nullptr);
  sheet()->cancelButton()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(sheet(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return mc.catalogue()->canReloadMedia(); }, kWait));
  // The cancelled run cleans up before it ends.
  ASSERT_TRUE(QTest::qWaitFor(
      [] {
        return backgroundJobPool()->activeThreadCount() == 0 && QThreadPool::globalInstance()->activeThreadCount() == 0;
      },
      kWait));
  EXPECT_FALSE(QFileInfo::exists(cancelled));

  // Cancelling the panel starts nothing.
  list->exportKML();
  list->savePanel()->reject();
  EXPECT_TRUE(mc.catalogue()->canReloadMedia());
  EXPECT_EQ(sheet(), nullptr);
}

TEST_F(ListCommandTest, ExportVideoOpensOnTheSelectedSpanAndEndsOnce) {
  EXPECT_TRUE(list->validateAction(DCFListViewController::Action::ExportVideo));
  // Rows 1 to 3, none played yet: from the start of the second to the end
  // of the fourth, its length read from its video.
  list->tableView()->selectionModel()->select(QItemSelection(list->model()->index(1, 0), list->model()->index(3, 0)),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  const auto [from, to] = list->selectionSpan();
  EXPECT_EQ(from, infos[1]->startDate());
  EXPECT_NEAR(infos[3]->startDate().msecsTo(to), 3000, 200);
  // The dialog shows whole seconds, rounded outwards.
  const auto shownEnd = [&to] { return QDateTime::fromSecsSinceEpoch((to.toMSecsSinceEpoch() + 999) / 1000, Qt::UTC); };

  // A start marked on the graph leads; the selection gives the end.
  const QDateTime marked = infos[2]->startDate().addSecs(1);
  list->exportVideo(marked, {});
  ASSERT_NE(list->exportVideoDialog(), nullptr);
  EXPECT_FALSE(mc.catalogue()->canReloadMedia());
  EXPECT_FALSE(list->validateAction(DCFListViewController::Action::ExportVideo));
  EXPECT_EQ(list->exportVideoDialog()->startEdit()->dateTime(), marked);
  EXPECT_EQ(list->exportVideoDialog()->endEdit()->dateTime(), shownEnd());
  list->exportVideoDialog()->reject();
  EXPECT_TRUE(mc.catalogue()->canReloadMedia());
  // A span inside a recording not played yet still finds it.
  list->exportVideo(infos[5]->startDate().addSecs(1), infos[5]->startDate().addSecs(2));
  EXPECT_TRUE(list->exportVideoDialog()->summaryLabel()->text().endsWith(QStringLiteral("recordings: 1")));
  list->exportVideoDialog()->reject();
  EXPECT_EQ(sheet(), nullptr);

  list->exportVideo();
  IncidentExportDialog* dialog = list->exportVideoDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->startEdit()->dateTime(), from);
  EXPECT_TRUE(dialog->summaryLabel()->text().endsWith(QStringLiteral("recordings: 3")));
  dialog->outputEdit()->setText(target.filePath(QStringLiteral("incident ü.mp4")));
  dialog->accept();
  ASSERT_NE(sheet(), nullptr);
  QSignalSpy progress(sheet(), &ProgressViewController::progressChanged);
  DC_TRY_VERIFY_WITH_TIMEOUT(sheet()->cancelButton()->text() == QStringLiteral("Finish"), kWait);
  DC_TRY_VERIFY_WITH_TIMEOUT(
      backgroundJobPool()->activeThreadCount() == 0 && QThreadPool::globalInstance()->activeThreadCount() == 0, kWait);
  QCoreApplication::processEvents();
  const auto ends = std::count_if(progress.begin(), progress.end(),
                                  [](const QList<QVariant>& args) { return args.value(0).toFloat() >= 1.0f; });
  EXPECT_EQ(ends, 1);
  const QString end = sheet()->infoLabelText();
  EXPECT_TRUE(end == QStringLiteral("Video export is complete") ||
              end.startsWith(QStringLiteral("The video could not be exported: ")))
      << end.toStdString();
  sheet()->cancelButton()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(sheet(), nullptr);
  EXPECT_TRUE(mc.catalogue()->canReloadMedia());
}

TEST_F(ListCommandTest, BackUpCopiesTheSelectionAndCancelLeavesNothing) {
  list->deselection();
  EXPECT_FALSE(list->validateAction(DCFListViewController::Action::BackUp));
  list->backUp();
  EXPECT_EQ(list->savePanel(), nullptr);

  list->tableView()->selectRow(0);
  list->backUp();
  ASSERT_NE(list->savePanel(), nullptr);
  auto* required = list->savePanel()->findChild<QLabel*>(QStringLiteral("diskRequireValueLabel"));
  auto* free = list->savePanel()->findChild<QLabel*>(QStringLiteral("diskFreeValueLabel"));
  ASSERT_NE(required, nullptr);
  ASSERT_NE(free, nullptr);
  EXPECT_FALSE(required->text().isEmpty());
  EXPECT_FALSE(free->text().isEmpty());

  // A non-empty folder is refused and the panel stays.
  ASSERT_TRUE(QDir(target.path()).mkpath(QStringLiteral("taken/x")));
  QFileDialog* panel = list->savePanel();
  panel->selectFile(target.filePath(QStringLiteral("taken")));
  QTimer::singleShot(200, [] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) box->accept();
    }
  });
  QMetaObject::invokeMethod(panel, "accept", Qt::DirectConnection);
  EXPECT_TRUE(panel->isVisible());

  const QString folder = target.filePath(QStringLiteral("Backup ä 1"));
  ASSERT_TRUE(choose(folder));
  ASSERT_NE(sheet(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return sheet() && sheet()->infoLabelText() == QStringLiteral("Backup is complete"); }, kWait));
  int copied = 0;
  for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next()) ++copied;
  EXPECT_GE(copied, 2);
  sheet()->cancelButton()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return mc.catalogue()->canReloadMedia(); }, kWait));
  EXPECT_TRUE(QFileInfo::exists(folder));

  list->allFilesSelected();
  list->backUp();
  const QString cancelled = target.filePath(QStringLiteral("cancelled"));
  ASSERT_TRUE(choose(cancelled));
  ASSERT_NE(sheet(), nullptr);
  sheet()->cancelButton()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return mc.catalogue()->canReloadMedia(); }, kWait));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(cancelled); }, kWait));
}


TEST_F(ListCommandTest, RepairRefusesTheCardAndOffersToPlayTheCopies) {
  test::TempCard cut(test::powerCutCardOptions(3));
  ASSERT_TRUE(cut.ok()) << cut.error().toStdString();
  const DCFInfoList recordings = test::scanRecordings(cut.root());
  const auto damaged = std::find_if(recordings.begin(), recordings.end(), [&](const DCFInfoPtr& info) {
    return info->deltaPath().endsWith(cut.clips().last().frontPath);
  });
  ASSERT_NE(damaged, recordings.end());
  (*damaged)->setDamageReason(QStringLiteral("No index"), true);
  list->reloadDCFInfo(recordings, recordings);
  list->selectCurrentDCF(*damaged);
  const auto before = test::fingerprint(cut.root());
  // Chosen by hand, the clip is not played: a message offers its rebuild,
  // whose button starts the list's "Repair…" for it.
  DC_TRY_VERIFY(list->repairOffer() != nullptr);
  EXPECT_TRUE(list->repairOffer()->text().contains(QFileInfo((*damaged)->filePath()).fileName()));
  EXPECT_EQ(list->repairOffer()->windowModality(), Qt::NonModal);
  bool offered = false;
  const auto chooseFolder = [&](const QString& folder) {
    if (offered) {
      list->repair();
    } else {
      const auto buttons = list->repairOffer()->buttons();
      const auto rebuild = std::find_if(buttons.begin(), buttons.end(),
                                        [](QAbstractButton* b) { return b->text() == QStringLiteral("Repair…"); });
      if (rebuild == buttons.end()) return false;
      offered = true;
      (*rebuild)->click();
    }
    QFileDialog* panel = list->repairPanel();
    if (!panel || !panel->isVisible()) return false;
    panel->selectFile(folder);
    QMetaObject::invokeMethod(panel, "accept", Qt::DirectConnection);
    return !panel->isVisible();
  };

  // A folder of the card is refused before anything starts.
  ASSERT_TRUE(chooseFolder(cut.path(QStringLiteral("NORMAL"))));
  auto* refused = window.findChild<QMessageBox*>(QStringLiteral("RepairRefusedAlert"));
  ASSERT_NE(refused, nullptr);
  EXPECT_TRUE(refused->text().contains(QStringLiteral("card")));
  refused->accept();
  EXPECT_EQ(sheet(), nullptr);
  EXPECT_TRUE(mc.catalogue()->canReloadMedia());

  ASSERT_TRUE(chooseFolder(target.path()));
  ASSERT_NE(sheet(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return list->repairedQuestion() != nullptr; }, kWait));
  EXPECT_EQ(sheet()->infoLabelText(), QStringLiteral("Repair is complete"));
  const QString copy = target.filePath(QFileInfo((*damaged)->filePath()).fileName());
  EXPECT_TRUE(QFileInfo(copy).size() > 0);
  list->repairedQuestion()->button(QMessageBox::Yes)->click();
  EXPECT_EQ(mc.repairedCopies().value((*damaged)->filePath()), copy);
  EXPECT_EQ(test::fingerprint(cut.root()), before);
  sheet()->cancelButton()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return mc.catalogue()->canReloadMedia(); }, kWait));
}

}  // namespace
}  // namespace dashcard
