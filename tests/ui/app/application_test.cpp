#include "support/test_paths.h"
#include "ui/app/application.h"
#include "ui/app/about_box.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/playback/player_inline_controls.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

// Installs a translation for the duration of a test.
class ScopedTranslation {
 public:
  explicit ScopedTranslation(const QLocale& locale) { language = Application::loadTranslator(translator, locale); QCoreApplication::installTranslator(&translator); }
  ~ScopedTranslation() { QCoreApplication::removeTranslator(&translator); }
  QTranslator translator;
  QString language;
};

TEST(ApplicationTest, MenuTitlesAndCameraTextsAreTranslatedForEnglishAndJapanese) {
  {
    ScopedTranslation english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(english.language, QStringLiteral("en_US"));
    EXPECT_EQ(Application::ryndString("TEXT_APP_MENU_QUIT_APP"), QStringLiteral("Quit Dashcard"));
    EXPECT_EQ(QCoreApplication::translate("DriveSupportData", "衝突注意"), QStringLiteral("Forward collision"));
    EXPECT_EQ(QCoreApplication::translate("dashcard::MediaController", "Backup is complete"), QStringLiteral("Backup is complete"));
  }
  {
    ScopedTranslation japanese(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(japanese.language, QStringLiteral("ja_JP"));
    EXPECT_EQ(Application::ryndString("TEXT_APP_MENU_QUIT_APP"), QStringLiteral("Dashcard を終了"));
    EXPECT_EQ(QCoreApplication::translate("DriveSupportData", "衝突注意"), QStringLiteral("衝突注意"));
    EXPECT_EQ(QCoreApplication::translate("dashcard::ProgressViewController", "Finish"), QStringLiteral("完了"));
  }
  {
    // A language we do not ship falls back to English.
    ScopedTranslation german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.language, QStringLiteral("en_US"));
    EXPECT_EQ(Application::ryndString("TEXT_APP_MENU_ABOUT_APP"), QStringLiteral("About Dashcard"));
  }
}

// The built-in map's credit always shows (it is drawn under every source);
// OpenStreetMap's only while its tiles are chosen.
TEST(ApplicationTest, AboutBoxCreditsTheMapDataInUse) {
  const struct {
    TileSourceChoice::Kind kind;
    bool credit;
  } cases[] = {
      {TileSourceChoice::kBuiltIn, false}, {TileSourceChoice::kOnline, true}, {TileSourceChoice::kMbTiles, false}};
  for (const auto& c : cases) {
    const QString text = AboutBox::text({c.kind, {}});
    EXPECT_TRUE(text.contains(QCoreApplication::applicationVersion())) << c.kind;
    EXPECT_TRUE(text.contains(QStringLiteral("GPL-3.0-or-later"))) << c.kind;
    EXPECT_TRUE(text.contains(QStringLiteral("Natural Earth"))) << c.kind;
    EXPECT_EQ(text.contains(QStringLiteral("© OpenStreetMap contributors")), c.credit) << c.kind;
  }
  // The decoder in use: software without a player or a hardware decoder.
  EXPECT_TRUE(AboutBox::text({}).contains(QStringLiteral("Video decoding: software")));
  EXPECT_TRUE(AboutBox::text({}, QStringLiteral("vaapi")).contains(QStringLiteral("Video decoding: hardware (vaapi)")));
  // Every data set and library of the box is in the document the package installs.
  QFile thirdParty(test::sourceDir() + QStringLiteral("/docs/THIRD-PARTY.md"));
  ASSERT_TRUE(thirdParty.open(QIODevice::ReadOnly)) << qPrintable(thirdParty.fileName());
  const QString document = QString::fromUtf8(thirdParty.readAll());
  const QString text = AboutBox::text({});
  EXPECT_GE(AboutBox::credits().size(), 8);
  for (const AboutBox::Credit& credit : AboutBox::credits()) {
    EXPECT_TRUE(text.contains(credit.name.toHtmlEscaped()) && text.contains(credit.licence.toHtmlEscaped()))
        << qPrintable(credit.name);
    EXPECT_TRUE(document.contains(QStringLiteral("| %1 |").arg(credit.name))) << qPrintable(credit.name);
    EXPECT_TRUE(document.contains(QStringLiteral("| %1 |").arg(credit.licence))) << qPrintable(credit.name);
  }
}

// The bundled defaults are fallbacks: the user's values win, and nothing is
// stored, so a changed bundled default reaches every user.
TEST(ApplicationTest, RegisteredDefaultsAreFallbacksNeverStored) {
  const QVariantMap bundled = Application::bundledDefaults();
  ASSERT_FALSE(bundled.isEmpty());
  const QString key = bundled.firstKey();
  QSettings settings;
  settings.clear();
  settings.setValue(key, QStringLiteral("the user's own value"));
  EXPECT_EQ(Application::registerDefaults(), bundled);
  EXPECT_EQ(Application::userDefault(key).toString(), QStringLiteral("the user's own value"));
  EXPECT_EQ(settings.allKeys(), QStringList{key});
  for (auto it = bundled.cbegin(); it != bundled.cend(); ++it) {
    if (it.key() != key) {
      EXPECT_EQ(Application::userDefault(it.key()), it.value()) << it.key().toStdString();
    }
  }
  settings.remove(key);
  EXPECT_EQ(Application::userDefault(key), bundled.value(key));
}

// With Fusion's page step, a click on the track of a slider of 100 000 steps
// moved it by a hundredth of a percent. A click goes where it lands and
// holds the handle: the graph's slider counts it as the user in control.
TEST(ApplicationTest, AClickOnATimeSliderGoesWhereItLandsAndHoldsIt) {
  QApplication::setStyle(Application::makeStyle());
  GraphViewController graph;
  graph.resize(900, 240);
  graph.show();
  PlayerInlineControls controls;
  controls.resize(600, 40);
  controls.show();
  QSignalSpy began(&controls, &PlayerInlineControls::scrubBegan);
  QSignalSpy scrubbed(&controls, &PlayerInlineControls::scrubbed);
  for (QSlider* slider : {graph.timeSlider(), controls.scrubber()}) {
    const QPoint at(slider->width() * 3 / 4, slider->height() / 2);
    QTest::mousePress(slider, Qt::LeftButton, {}, at);
    const double fraction = double(slider->value()) / slider->maximum();
    EXPECT_GT(fraction, 0.7) << slider->objectName().toStdString();
    EXPECT_LT(fraction, 0.8) << slider->objectName().toStdString();
    EXPECT_TRUE(slider->isSliderDown());
    if (slider == graph.timeSlider()) {
      EXPECT_TRUE(graph.userControlIsActive());
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
    EXPECT_FALSE(slider->isSliderDown());
  }
  EXPECT_NEAR(graph.progress(), 0.75, 0.05);
  EXPECT_FALSE(graph.userControlIsActive());
  EXPECT_EQ(began.size(), 1);
  ASSERT_FALSE(scrubbed.isEmpty());
  EXPECT_NEAR(scrubbed.last().at(0).toFloat(), 0.75, 0.05);
}

// Help and version answer without a display; a card gets a plain reason
// instead of Qt's platform-plugin abort.
TEST(ApplicationTest, TheViewerAnswersWithoutADisplay) {
  const struct {
    QStringList arguments;
    int exitCode;
    QString out;
    QString err;
  } cases[] = {
      {{QStringLiteral("--help")}, 0, QStringLiteral("--screenshot <FILE>"), {}},
      {{QStringLiteral("--version")}, 0, QStringLiteral("dashcard "), {}},
      {{QStringLiteral("/some/card")}, 1, {}, QStringLiteral("no display: run under a desktop session or `xvfb-run`")},
      {{QStringLiteral("--no-such-option")}, 1, {}, QStringLiteral("no-such-option")},
  };
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
  environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  for (const auto& c : cases) {
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.start(QStringLiteral(DASHCARD_VIEWER), c.arguments);
    ASSERT_TRUE(viewer.waitForFinished(60000)) << qPrintable(c.arguments.join(' '));
    const QString out = QString::fromUtf8(viewer.readAllStandardOutput());
    const QString err = QString::fromUtf8(viewer.readAllStandardError());
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit) << qPrintable(err);
    EXPECT_EQ(viewer.exitCode(), c.exitCode) << qPrintable(c.arguments.join(' ')) << qPrintable(err);
    EXPECT_TRUE(out.contains(c.out)) << qPrintable(out);
    EXPECT_TRUE(err.contains(c.err)) << qPrintable(err);
    EXPECT_FALSE(err.contains(QStringLiteral("platform plugin"))) << qPrintable(err);
  }
}

// A card that is not there is said so, not answered with a silent empty window.
TEST(ApplicationTest, ACardThatDoesNotExistIsSaidSo) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  QProcess viewer;
  viewer.setProcessEnvironment(environment);
  const QString missing = dir.filePath(QStringLiteral("no card é"));
  viewer.start(QStringLiteral(DASHCARD_VIEWER), {QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("shot.png")),
                                                 QStringLiteral("--screenshot-delay"), QStringLiteral("1"), missing});
  ASSERT_TRUE(viewer.waitForFinished(120000));
  const QString err = QString::fromUtf8(viewer.readAllStandardError());
  EXPECT_TRUE(err.contains(missing + QStringLiteral(" does not exist"))) << qPrintable(err);
}

}  // namespace
}  // namespace dashcard
