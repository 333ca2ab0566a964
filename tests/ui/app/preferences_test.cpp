#include "ui/app/preferences.h"

#include "core/export/dcf_async_kml_builder.h"

#include <QComboBox>
#include <QDateTime>
#include <QLocale>
#include <QSettings>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override { QSettings().clear(); }
  void TearDown() override {
    QSettings().clear();
    QLocale::setDefault(QLocale::c());
    CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::System);
  }
};

// What the dialog saves is what a restarted application applies.
TEST_F(PreferencesTest, DialogChoicesSurviveARestartAndSetTheSpeedUnit) {
  const struct {
    QLocale locale;
    int unitIndex;
    QString unit;
  } cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), 0, QStringLiteral("mph")},
      {QLocale(QLocale::German, QLocale::Germany), 0, QStringLiteral("km/h")},
      {QLocale(QLocale::English, QLocale::UnitedStates), 1, QStringLiteral("km/h")},
      {QLocale(QLocale::German, QLocale::Germany), 2, QStringLiteral("mph")},
  };
  for (const auto& c : cases) {
    QLocale::setDefault(c.locale);
    {
      PreferencesDialog dialog;
      dialog.findChildren<QComboBox*>().at(0)->setCurrentIndex(c.unitIndex);
      dialog.findChildren<QComboBox*>().at(2)->setCurrentIndex(2);
      dialog.findChild<QSpinBox*>()->setValue(1200);
      dialog.accept();
    }
    CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::System);
    const Preferences restarted = Preferences::load();
    restarted.apply();
    EXPECT_EQ(CustomLocation::unitForCurrentLocale(), c.unit) << c.unitIndex;
    // The exported KML's descriptions speak the chosen unit: 10 m/s is 36 km/h or 22.4 mph.
    CustomLocation location(35.0, 139.0, 0, 1, 1, 90.0, 10.0, QDateTime::currentDateTimeUtc());
    EXPECT_TRUE(DCFAsyncKMLBuilder::descriptionFooter(location, {})
                    .contains(c.unit == QLatin1String("mph") ? QStringLiteral("SPD: 22.4 mph<br>")
                                                             : QStringLiteral("SPD: 36.0 km/h<br>")))
        << c.unitIndex;
    EXPECT_EQ(restarted.thumbnailCacheLimit, 1200);
    EXPECT_EQ(restarted.videoSurface, QStringLiteral("software"));
  }
}

TEST_F(PreferencesTest, BrokenValuesFallBackToDefaults) {
  QSettings settings;
  settings.setValue(QStringLiteral("speedUnit"), QStringLiteral("furlongs"));
  settings.setValue(QStringLiteral("thumbnailCacheLimit"), -5);
  settings.setValue(QStringLiteral("videoSurface"), QStringLiteral("vulkan"));
  const Preferences p = Preferences::load();
  EXPECT_EQ(p.speedUnit, CustomLocation::SpeedUnit::System);
  EXPECT_EQ(p.thumbnailCacheLimit, 100);
  EXPECT_EQ(p.videoSurface, QStringLiteral("automatic"));
}

}  // namespace
}  // namespace dashcard
