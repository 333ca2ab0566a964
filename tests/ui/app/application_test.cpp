#include "ui/app/application.h"

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

TEST(ApplicationTest, RegistrationDefaultsNeverOverwriteTheUsersValues) {
  const QVariantMap bundled = Application::bundledDefaults();
  ASSERT_FALSE(bundled.isEmpty());
  const QString key = bundled.firstKey();
  QSettings settings;
  settings.setValue(key, QStringLiteral("the user's own value"));
  for (auto it = bundled.cbegin(); it != bundled.cend(); ++it) {
    if (it.key() != key) settings.remove(it.key());
  }
  Application::registerDefaults();
  EXPECT_EQ(settings.value(key).toString(), QStringLiteral("the user's own value"));
  for (auto it = bundled.cbegin(); it != bundled.cend(); ++it) {
    if (it.key() != key) {
      EXPECT_EQ(settings.value(it.key()).toString(), it.value().toString()) << it.key().toStdString();
    }
  }
  settings.remove(key);
}

}  // namespace
}  // namespace dashcard
