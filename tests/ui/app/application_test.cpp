#include "ui/app/application.h"
#include "ui/app/about_box.h"

#include <QCoreApplication>
#include <QSettings>
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

}  // namespace
}  // namespace dashcard
