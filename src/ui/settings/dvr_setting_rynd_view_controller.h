#pragma once

#include "core/settings/rynd_setting_info.h"
#include "core/settings/time_zone_item.h"
#include "ui/settings/selection_button_manager.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace dashcard {

class DVRSettingButton;
class DvrSettingRyndViewController;

// The sheet that holds the settings editor over its owner window.
class DvrSettingRyndWindowController : public QDialog {
  Q_OBJECT
 public:
  explicit DvrSettingRyndWindowController(QWidget* ownerWindow);
  DvrSettingRyndViewController* contentViewController() const { return content_; }

 protected:
  // Escape is the Cancel button, so that the owner hears of it.
  void reject() override;

 private:
  DvrSettingRyndViewController* content_;
};

// The camera settings editor: one row of choice buttons per setting, the
// time-zone pop-up, OK, Cancel and "Initialize Settings". It edits a
// RyndSettingInfo only; the owner loads, saves and reports through the
// button handler.
class DvrSettingRyndViewController : public QWidget {
  Q_OBJECT
 public:
  // Button numbers given to the handler.
  static constexpr int kCancelButton = 0;
  static constexpr int kOkButton = 1;
  using ButtonActionHandler = std::function<void(DvrSettingRyndViewController* editor, int button)>;
  // Asks the user to confirm; true for OK. Replaceable for tests.
  using Confirmation = std::function<bool(QWidget* parent, const QString& message)>;

  explicit DvrSettingRyndViewController(QWidget* parent = nullptr);

  // A new sheet for `ownerWindow` with its editor; shown with open().
  static DvrSettingRyndWindowController* createWindowControllerInstanceForOwnerWindow(QWidget* ownerWindow);
  static DvrSettingRyndViewController* createInstance();
  static DvrSettingRyndViewController* getContentViewController(DvrSettingRyndWindowController* windowController);

  const RyndSettingInfo& settingValues() const { return settings_; }
  // Replaces the settings and refreshes every control from them.
  void setSettingValues(const RyndSettingInfo& settings);
  void addButtonAction(ButtonActionHandler handler) { buttonActionHandler_ = std::move(handler); }
  void setConfirmation(Confirmation confirmation) { confirmation_ = std::move(confirmation); }
  QWidget* ownerWindow() const { return ownerWindow_; }
  void setOwnerWindow(QWidget* window) { ownerWindow_ = window; }
  // Ends the sheet on the owner window.
  void closeSheetDialog();

  void pressedOkButton();
  void pressedCancelButton();
  void pressedInitializeButton();

  const QList<TimeZoneItem>& timeZoneInfoList() const { return timeZoneInfoList_; }
  SelectionButtonManager* vctButtonManager() const { return vctButtonManager_; }
  SelectionButtonManager* impactLevelButtonManager() const { return impactLevelButtonManager_; }
  SelectionButtonManager* autioButtonManager() const { return autioButtonManager_; }
  SelectionButtonManager* rearCameraButtonManager() const { return rearCameraButtonManager_; }
  SelectionButtonManager* videoQualityButtonManager() const { return videoQualityButtonManager_; }
  SelectionButtonManager* wifiLanButtonManager() const { return wifiLanButtonManager_; }
  QComboBox* timeZonePopUpButton() const { return timeZonePopUpButton_; }
  QPushButton* okButton() const { return okButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QPushButton* initializeButton() const { return initializeButton_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void viewDidLoad();
  void refreshControls();
  void readControls();
  QLabel* addRow(const QString& label, QWidget* controls);
  DVRSettingButton* choiceButton(const QString& objectName, const QString& title);

  RyndSettingInfo settings_;
  QList<TimeZoneItem> timeZoneInfoList_;
  ButtonActionHandler buttonActionHandler_;
  Confirmation confirmation_;
  QPointer<QWidget> ownerWindow_;
  SelectionButtonManager* vctButtonManager_;
  SelectionButtonManager* impactLevelButtonManager_;
  SelectionButtonManager* autioButtonManager_;
  SelectionButtonManager* rearCameraButtonManager_;
  SelectionButtonManager* videoQualityButtonManager_;
  SelectionButtonManager* wifiLanButtonManager_;
  QList<QAbstractButton*> vctButtons_;
  QList<QAbstractButton*> impactButtons_;
  QList<QAbstractButton*> audioButtons_;
  QList<QAbstractButton*> rearCameraButtons_;
  QList<QAbstractButton*> videoQualityButtons_;
  QList<QAbstractButton*> wifiLanButtons_;
  QComboBox* timeZonePopUpButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* initializeButton_ = nullptr;
  QGridLayout* rows_ = nullptr;
};

}  // namespace dashcard
