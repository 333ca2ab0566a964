#include "ui/app/application.h"
#include "ui/app/about_box.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/playback/player_inline_controls.h"

#include <QApplication>
#include <QCoreApplication>
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
    if (slider == graph.timeSlider()) EXPECT_TRUE(graph.userControlIsActive());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
    EXPECT_FALSE(slider->isSliderDown());
  }
  EXPECT_NEAR(graph.progress(), 0.75, 0.05);
  EXPECT_FALSE(graph.userControlIsActive());
  EXPECT_EQ(began.size(), 1);
  ASSERT_FALSE(scrubbed.isEmpty());
  EXPECT_NEAR(scrubbed.last().at(0).toFloat(), 0.75, 0.05);
}

}  // namespace
}  // namespace dashcard
