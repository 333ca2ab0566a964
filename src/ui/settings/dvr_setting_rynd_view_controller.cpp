#include "ui/settings/dvr_setting_rynd_view_controller.h"

#include "core/settings/ini_file_parameters.h"
#include "ui/settings/dvr_setting_button.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace dashcard {
namespace {

constexpr int kViewWidth = 600;
constexpr int kViewHeight = 400;

bool askWithAlert(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::NoIcon, QString(), message, QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("InitializeSettingsAlert"));
  QPushButton* ok = box.addButton(DvrSettingRyndViewController::tr("OK"), QMessageBox::AcceptRole);
  box.addButton(DvrSettingRyndViewController::tr("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(ok);
  box.exec();
  return box.clickedButton() == ok;
}

}  // namespace

DvrSettingRyndWindowController::DvrSettingRyndWindowController(QWidget* ownerWindow)
    : QDialog(ownerWindow), content_(new DvrSettingRyndViewController(this)) {
  setObjectName(QStringLiteral("DvrSettingRyndWindowsController"));
  setWindowTitle(DvrSettingRyndViewController::tr("Camera Settings"));
  setWindowModality(Qt::WindowModal);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content_);
  setFixedSize(kViewWidth, kViewHeight);
  content_->setOwnerWindow(ownerWindow);
}

void DvrSettingRyndWindowController::reject() { content_->pressedCancelButton(); }

DvrSettingRyndViewController::DvrSettingRyndViewController(QWidget* parent)
    : QWidget(parent),
      confirmation_(askWithAlert),
      vctButtonManager_(new SelectionButtonManager(this)),
      impactLevelButtonManager_(new SelectionButtonManager(this)),
      autioButtonManager_(new SelectionButtonManager(this)),
      rearCameraButtonManager_(new SelectionButtonManager(this)),
      videoQualityButtonManager_(new SelectionButtonManager(this)),
      wifiLanButtonManager_(new SelectionButtonManager(this)) {
  setObjectName(QStringLiteral("DvrSettingRyndViewController"));
  viewDidLoad();
}

DvrSettingRyndWindowController* DvrSettingRyndViewController::createWindowControllerInstanceForOwnerWindow(
    QWidget* ownerWindow) {
  return new DvrSettingRyndWindowController(ownerWindow);
}

DvrSettingRyndViewController* DvrSettingRyndViewController::createInstance() { return new DvrSettingRyndViewController; }

DvrSettingRyndViewController* DvrSettingRyndViewController::getContentViewController(
    DvrSettingRyndWindowController* windowController) {
  return windowController ? windowController->contentViewController() : nullptr;
}

DVRSettingButton* DvrSettingRyndViewController::choiceButton(const QString& objectName, const QString& title) {
  auto* button = new DVRSettingButton(title, this);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

QLabel* DvrSettingRyndViewController::addRow(const QString& label, QWidget* controls) {
  const int row = rows_->rowCount();
  auto* text = new QLabel(label, this);
  text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  rows_->addWidget(text, row, 0);
  rows_->addWidget(controls, row, 1);
  return text;
}

void DvrSettingRyndViewController::viewDidLoad() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(24, 20, 24, 16);
  rows_ = new QGridLayout;
  rows_->setHorizontalSpacing(16);
  rows_->setVerticalSpacing(10);
  rows_->setColumnStretch(1, 1);
  outer->addLayout(rows_);
  outer->addStretch(1);

  // One row of choice buttons; L5 ... L1 are the camera's own names and stay untranslated.
  auto buttonRow = [this](const QList<QPair<QString, QString>>& buttons, QList<QAbstractButton*>* into) {
    auto* holder = new QWidget(this);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (const auto& [name, title] : buttons) {
      DVRSettingButton* button = choiceButton(name, title);
      layout->addWidget(button);
      into->append(button);
    }
    layout->addStretch(1);
    return holder;
  };
  addRow(tr("Video clip time per file"),
         buttonRow({{QStringLiteral("vctButton30s"), tr("30s")},
                    {QStringLiteral("vctButton1min"), tr("1min")},
                    {QStringLiteral("vctButton3min"), tr("3min")}},
                   &vctButtons_))
      ->setObjectName(QStringLiteral("videoVClipTimeLabel"));
  addRow(tr("Impact level"), buttonRow({{QStringLiteral("impactButtonOFF"), tr("OFF")},
                                        {QStringLiteral("impactButtonL5"), QStringLiteral("L5")},
                                        {QStringLiteral("impactButtonL4"), QStringLiteral("L4")},
                                        {QStringLiteral("impactButtonL3"), QStringLiteral("L3")},
                                        {QStringLiteral("impactButtonL2"), QStringLiteral("L2")},
                                        {QStringLiteral("impactButtonL1"), QStringLiteral("L1")}},
                                       &impactButtons_))
      ->setObjectName(QStringLiteral("impactLevelLabel"));
  addRow(tr("Audio recording"),
         buttonRow({{QStringLiteral("audioButtonOn"), tr("ON")}, {QStringLiteral("audioButtonOff"), tr("OFF")}},
                   &audioButtons_))
      ->setObjectName(QStringLiteral("audioLabel"));
  addRow(tr("Rear camera"), buttonRow({{QStringLiteral("rearCameraButtonOn"), tr("ON")},
                                       {QStringLiteral("rearCameraButtonOff"), tr("OFF")}},
                                      &rearCameraButtons_))
      ->setObjectName(QStringLiteral("rearCameraLabel"));
  addRow(tr("Video quality"), buttonRow({{QStringLiteral("videoQualityButtonFine"), tr("FINE")},
                                         {QStringLiteral("videoQualityButtonNormal"), tr("NORMAL")}},
                                        &videoQualityButtons_))
      ->setObjectName(QStringLiteral("videoQualityLabel"));
  timeZonePopUpButton_ = new QComboBox(this);
  timeZonePopUpButton_->setObjectName(QStringLiteral("timeZonePopUpButton"));
  timeZonePopUpButton_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* zoneHolder = new QWidget(this);
  auto* zoneLayout = new QHBoxLayout(zoneHolder);
  zoneLayout->setContentsMargins(0, 0, 0, 0);
  zoneLayout->addWidget(timeZonePopUpButton_);
  zoneLayout->addStretch(1);
  addRow(tr("Time zone"), zoneHolder)->setObjectName(QStringLiteral("timeZoneLabel"));
  addRow(tr("Wireless LAN"), buttonRow({{QStringLiteral("wifiLanButton2GHz"), tr("2.4GHz")},
                                        {QStringLiteral("wifiLanButton5GHz"), tr("5GHz")}},
                                       &wifiLanButtons_))
      ->setObjectName(QStringLiteral("wifiLanLabel"));

  auto* buttons = new QHBoxLayout;
  initializeButton_ = new QPushButton(tr("Initialize Settings"), this);
  initializeButton_->setObjectName(QStringLiteral("initializeButton"));
  cancelButton_ = new QPushButton(tr("Cancel"), this);
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  okButton_ = new QPushButton(tr("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setDefault(true);
  buttons->addWidget(initializeButton_);
  buttons->addStretch(1);
  buttons->addWidget(cancelButton_);
  buttons->addWidget(okButton_);
  outer->addLayout(buttons);
  connect(okButton_, &QPushButton::clicked, this, &DvrSettingRyndViewController::pressedOkButton);
  connect(cancelButton_, &QPushButton::clicked, this, &DvrSettingRyndViewController::pressedCancelButton);
  connect(initializeButton_, &QPushButton::clicked, this, &DvrSettingRyndViewController::pressedInitializeButton);

  timeZoneInfoList_ = TimeZoneItem::timeZoneItems();
  timeZonePopUpButton_->clear();
  for (const TimeZoneItem& item : timeZoneInfoList_) timeZonePopUpButton_->addItem(item.itemDisplayName());
  refreshControls();
}

void DvrSettingRyndViewController::showEvent(QShowEvent* event) {
  if (parentWidget() == nullptr) setGeometry(0, 0, kViewWidth, kViewHeight);
  QWidget::showEvent(event);
}

void DvrSettingRyndViewController::setSettingValues(const RyndSettingInfo& settings) {
  settings_ = settings;
  refreshControls();
}

void DvrSettingRyndViewController::refreshControls() {
  vctButtonManager_->addButtons(vctButtons_, IniFileParameters::VideoClipTimeValues());
  vctButtonManager_->selectButtonForValue(settings_.videoClipTimeValue());
  impactLevelButtonManager_->addButtons(impactButtons_, IniFileParameters::ImpactLevelValues());
  impactLevelButtonManager_->selectButtonForValue(settings_.imapctLevelValue());
  autioButtonManager_->addButtons(audioButtons_, IniFileParameters::AudioValues());
  autioButtonManager_->selectButtonForValue(settings_.audioValue());
  rearCameraButtonManager_->addButtons(rearCameraButtons_, IniFileParameters::RearCameraValues());
  rearCameraButtonManager_->selectButtonForValue(settings_.rearCameraValue());
  videoQualityButtonManager_->addButtons(videoQualityButtons_, IniFileParameters::VideoQualityValues());
  videoQualityButtonManager_->selectButtonForValue(settings_.videoQualityValue());
  for (qsizetype i = 0; i < timeZoneInfoList_.size(); ++i) {
    if (timeZoneInfoList_[i].itemKey() == settings_.timeZoneValue()) {
      timeZonePopUpButton_->setCurrentIndex(int(i));
      break;
    }
  }
  wifiLanButtonManager_->addButtons(wifiLanButtons_, IniFileParameters::WiFiLanValues());
  wifiLanButtonManager_->selectButtonForValue(settings_.wifiLanValue());
}

void DvrSettingRyndViewController::readControls() {
  // A group with nothing on leaves its setting as it was.
  if (auto value = vctButtonManager_->selectedValue()) settings_.setVideoClipTimeValue(*value);
  if (auto value = impactLevelButtonManager_->selectedValue()) settings_.setImapctLevelValue(*value);
  if (auto value = autioButtonManager_->selectedValue()) settings_.setAudioValue(*value);
  if (auto value = rearCameraButtonManager_->selectedValue()) settings_.setRearCameraValue(*value);
  if (auto value = videoQualityButtonManager_->selectedValue()) settings_.setVideoQualityValue(*value);
  const int zone = timeZonePopUpButton_->currentIndex();
  if (zone >= 0 && zone < timeZoneInfoList_.size()) settings_.setTimeZoneValue(timeZoneInfoList_[zone].itemKey());
  if (auto value = wifiLanButtonManager_->selectedValue()) settings_.setWifiLanValue(*value);
}

void DvrSettingRyndViewController::pressedOkButton() {
  readControls();
  if (buttonActionHandler_) buttonActionHandler_(this, kOkButton);
}

void DvrSettingRyndViewController::pressedCancelButton() {
  if (buttonActionHandler_) buttonActionHandler_(this, kCancelButton);
}

void DvrSettingRyndViewController::pressedInitializeButton() {
  if (!confirmation_ || !confirmation_(this, tr("Initialize and save the settings. Is it OK?"))) return;
  settings_.setDvrResetValue(IniFileParameters::DvrResetValue().constFirst());
  readControls();
  if (buttonActionHandler_) buttonActionHandler_(this, kOkButton);
}

void DvrSettingRyndViewController::closeSheetDialog() {
  QWidget* sheet = window();
  if (!ownerWindow_ || sheet == nullptr || sheet == this) return;
  sheet->hide();
  sheet->deleteLater();
}

}  // namespace dashcard
