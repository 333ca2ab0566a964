// The camera-settings command of the main window: choose a card, load its
// settings file, edit it in the settings sheet and write it back.
#include "core/settings/ini_file_exporter.h"
#include "core/settings/ini_file_loader.h"
#include "core/settings/ini_file_parameters.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"
#include "ui/catalogue/select_removable_disk_view_controller.h"
#include "ui/settings/dvr_setting_rynd_view_controller.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <functional>

namespace dashcard {
namespace {

// A window-modal alert over `parent`; `finished` runs once it is dismissed.
void showAlert(QWidget* parent, QMessageBox::Icon icon, const QString& objectName, const QString& text,
               const QString& informativeText, std::function<void()> finished = {}) {
  auto* box = new QMessageBox(icon, QString(), text, QMessageBox::Ok, parent);
  box->setObjectName(objectName);
  box->setInformativeText(informativeText);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  if (finished) QObject::connect(box, &QMessageBox::finished, parent, std::move(finished));
  box->open();
}

void showSettingsEditor(MainWindowController* window, const QString& path, const RyndSettingInfo& settings) {
  DvrSettingRyndWindowController* sheet = DvrSettingRyndViewController::createWindowControllerInstanceForOwnerWindow(window);
  DvrSettingRyndViewController* editor = DvrSettingRyndViewController::getContentViewController(sheet);
  editor->setSettingValues(settings);
  editor->addButtonAction([path](DvrSettingRyndViewController* editor, int button) {
    if (button != DvrSettingRyndViewController::kOkButton) {
      editor->closeSheetDialog();
      return;
    }
    QString error;
    if (!IniFileExporter(path).exportSettings(editor->settingValues(), &error)) {
      // The editor stays open: the user may retry (another card, a freed lock) or cancel.
      showAlert(editor->window(), QMessageBox::Critical, QStringLiteral("SettingsWriteFailedAlert"),
                MainWindowController::tr("Could not write to the configuration file"), error);
      return;
    }
    QWidget* owner = editor->ownerWindow();
    editor->closeSheetDialog();
    if (owner) {
      showAlert(owner, QMessageBox::Information, QStringLiteral("SettingsSavedAlert"),
                MainWindowController::tr("saved the setting"), QString());
    }
  });
  sheet->open();
}

}  // namespace

void MainWindowController::openUnitSettingView() {
  auto* chooser = new SelectRemovableDiskViewController(this);
  QMap<QString, VolumeInformation> volumes = mountingVolumes_;
  // The card open in this window is offered too, so that a copy of a card or a
  // card in a fixed reader can be edited.
  const QString cardPath = document_ ? QDir::cleanPath(document_->fileURL()) : QString();
  if (!cardPath.isEmpty() && QFileInfo(cardPath).isDir()) {
    const bool listed = std::any_of(volumes.cbegin(), volumes.cend(), [&](const VolumeInformation& info) {
      return QDir::cleanPath(info.devicePath) == cardPath;
    });
    if (!listed) {
      VolumeInformation card;
      card.icon = QIcon(QStringLiteral(":/images/folder.svg"));
      card.name = tr("%1 (open card)").arg(QFileInfo(cardPath).fileName().isEmpty() ? cardPath
                                                                                     : QFileInfo(cardPath).fileName());
      card.devicePath = cardPath;
      card.fullPath = QUrl::fromLocalFile(cardPath + QLatin1Char('/')).toString(QUrl::FullyEncoded);
      volumes.insert(card.fullPath, card);
    }
  }
  chooser->setMountVolumes(volumes);
  connect(chooser, &SelectRemovableDiskViewController::selectOK, this, &MainWindowController::selectOK);
  connect(chooser, &SelectRemovableDiskViewController::selectCancel, this, &MainWindowController::selectCancel);
  chooser->open();
}

namespace {
// Ends the chooser's sheet (close() would ask the chooser to cancel again).
void endSheet(SelectRemovableDiskViewController* chooser) {
  chooser->hide();
  chooser->deleteLater();
}
}  // namespace

void MainWindowController::selectCancel(SelectRemovableDiskViewController* chooser) {
  if (chooser) endSheet(chooser);
}

void MainWindowController::selectOK(SelectRemovableDiskViewController* chooser) {
  if (!chooser) return;
  const QString devicePath = chooser->selectedVolume() ? chooser->selectedVolume()->devicePath : QString();
  endSheet(chooser);
  if (devicePath.isEmpty()) return;
  const QString path = QDir(devicePath).filePath(IniFileParameters::IniFileName());
  IniFileLoader loader(path);
  const bool loaded = loader.load() == IniFileLoader::kLoaded && loader.resultData().has_value();
  const RyndSettingInfo settings = loaded ? *loader.resultData() : RyndSettingInfo();
  QPointer<MainWindowController> self(this);
  auto openEditor = [self, path, settings] {
    QMetaObject::invokeMethod(
        self, [self, path, settings] { showSettingsEditor(self, path, settings); }, Qt::QueuedConnection);
  };
  if (loaded) {
    openEditor();
    return;
  }
  // The editor follows once the user has read why it shows the defaults.
  showAlert(this, QMessageBox::Critical, QStringLiteral("SettingsLoadFailedAlert"),
            tr("Failed to load configuration file"), tr("Apply the default settings"), openEditor);
}

}  // namespace dashcard
