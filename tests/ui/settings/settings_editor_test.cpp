#include "core/settings/ini_file_parameters.h"
#include "ui/settings/dvr_setting_button.h"
#include "ui/settings/dvr_setting_rynd_view_controller.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace dashcard {
namespace {

class SettingsEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor = std::make_unique<DvrSettingRyndViewController>();
    editor->addButtonAction([this](DvrSettingRyndViewController*, int button) { pressed.append(button); });
  }
  QAbstractButton* button(const char* name) const { return editor->findChild<QAbstractButton*>(QString::fromLatin1(name)); }
  // The names of the choice buttons that are on, in layout order.
  QStringList onButtons() const {
    QStringList names;
    for (auto* each : editor->findChildren<DVRSettingButton*>()) {
      if (each->isChecked()) names << each->objectName();
    }
    return names;
  }

  std::unique_ptr<DvrSettingRyndViewController> editor;
  QList<int> pressed;
};

TEST_F(SettingsEditorTest, ShowsTheSettingsAndKeepsThePopUpForAnUnknownTimeZone) {
  RyndSettingInfo settings;
  settings.setVideoClipTimeValue(QStringLiteral("30sec"));
  settings.setImapctLevelValue(QStringLiteral("L1"));
  settings.setAudioValue(QStringLiteral("OFF"));
  settings.setTimeZoneValue(QStringLiteral("JST"));
  settings.setWifiLanValue(QStringLiteral("5G"));
  editor->setSettingValues(settings);
  EXPECT_EQ(onButtons(), (QStringList{QStringLiteral("vctButton30s"), QStringLiteral("impactButtonL1"),
                                      QStringLiteral("audioButtonOff"), QStringLiteral("rearCameraButtonOn"),
                                      QStringLiteral("videoQualityButtonFine"), QStringLiteral("wifiLanButton5GHz")}));
  EXPECT_EQ(editor->timeZonePopUpButton()->count(), 30);
  EXPECT_EQ(editor->timeZonePopUpButton()->currentText(), QStringLiteral("Japan (UTC+09:00)"));

  settings.setTimeZoneValue(QStringLiteral("EST"));
  editor->setSettingValues(settings);
  EXPECT_EQ(editor->timeZonePopUpButton()->currentText(), QStringLiteral("Japan (UTC+09:00)"));
  EXPECT_EQ(editor->vctButtonManager()->mButtons().size(), 3) << "refreshing must not add buttons twice";
}

TEST_F(SettingsEditorTest, PressesOkCancelAndInitialize) {
  const RyndSettingInfo defaults;
  editor->setSettingValues(defaults);
  // Pressing the selected button keeps it; another one takes over.
  button("audioButtonOn")->click();
  EXPECT_TRUE(button("audioButtonOn")->isChecked());
  button("audioButtonOff")->click();
  button("vctButton3min")->click();
  EXPECT_FALSE(button("audioButtonOn")->isChecked());
  EXPECT_TRUE(button("audioButtonOff")->isChecked());

  editor->cancelButton()->click();
  EXPECT_EQ(editor->settingValues(), defaults);

  // Initialize answered with Cancel does nothing at all.
  QStringList asked;
  bool answer = false;
  editor->setConfirmation([&](QWidget*, const QString& message) {
    asked << message;
    return answer;
  });
  editor->initializeButton()->click();
  EXPECT_EQ(asked, QStringList{QStringLiteral("Initialize and save the settings. Is it OK?")});
  EXPECT_EQ(pressed, QList<int>{DvrSettingRyndViewController::kCancelButton});
  EXPECT_EQ(editor->settingValues(), defaults);

  // A group with nothing on keeps its value.
  editor->wifiLanButtonManager()->selectButton(nullptr);
  editor->okButton()->click();
  EXPECT_EQ(pressed.last(), DvrSettingRyndViewController::kOkButton);
  EXPECT_EQ(editor->settingValues().audioValue(), QStringLiteral("OFF"));
  EXPECT_EQ(editor->settingValues().videoClipTimeValue(), QStringLiteral("3min"));
  EXPECT_EQ(editor->settingValues().wifiLanValue(), defaults.wifiLanValue());
  EXPECT_TRUE(editor->settingValues().dvrResetValue().isEmpty());

  answer = true;
  editor->initializeButton()->click();
  EXPECT_EQ(pressed.size(), 3);
  EXPECT_EQ(editor->settingValues().dvrResetValue(), QStringLiteral("ON"));
  EXPECT_EQ(editor->settingValues().exportText(), QStringLiteral("DVR_RESET ON\r\n"));
}

TEST(DVRSettingButtonTest, PaintsOffSelectedAndPressedFaces) {
  struct Case {
    const char* name;
    bool checked;
    bool down;
    QColor face;
  };
  // The pressed highlight is the selected colour at half opacity over the background (white here).
  const Case cases[] = {
      {"off", false, false, DVRSettingButton::normalColor()},
      {"on", true, false, DVRSettingButton::selectedColor()},
      {"on and pressed", true, true, QColor(162, 185, 226)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DVRSettingButton button(QString(), nullptr);
    button.resize(80, 40);
    button.setChecked(c.checked);
    button.setDown(c.down);
    QImage image(button.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QColor centre = image.pixelColor(40, 20);
    EXPECT_NEAR(centre.red(), c.face.red(), 2);
    EXPECT_NEAR(centre.green(), c.face.green(), 2);
    EXPECT_NEAR(centre.blue(), c.face.blue(), 2);
    const QColor edge = image.pixelColor(40, 0);
    EXPECT_NEAR(edge.blue(), DVRSettingButton::borderColor().blue(), 40) << "the border is drawn";
  }
}

}  // namespace
}  // namespace dashcard
