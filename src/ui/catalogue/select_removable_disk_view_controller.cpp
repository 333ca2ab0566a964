#include "ui/catalogue/select_removable_disk_view_controller.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dashcard {

SelectRemovableDiskViewController::SelectRemovableDiskViewController(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SelectRemovableViewController"));
  setWindowTitle(tr("Camera Settings"));
  setWindowModality(Qt::WindowModal);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 18, 20, 14);
  layout->addWidget(new QLabel(tr("Select the card whose camera settings to edit."), this));
  auto* combo = new QComboBox(this);
  combo->setObjectName(QStringLiteral("mountVolumeSelectComboBox"));
  combo->setMinimumWidth(320);
  combo->setPlaceholderText(tr("No card selected"));
  mountVolumeSelectComboBox_ = combo;
  layout->addWidget(combo);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* cancelButton = new QPushButton(tr("Cancel"), this);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  ok->setEnabled(false);
  okButton_ = ok;
  buttons->addWidget(cancelButton);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  connect(combo, &QComboBox::currentIndexChanged, this, &SelectRemovableDiskViewController::comboBoxSelectionDidChange);
  connect(ok, &QPushButton::clicked, this, &SelectRemovableDiskViewController::selectOk);
  connect(cancelButton, &QPushButton::clicked, this, &SelectRemovableDiskViewController::cancel);
}

void SelectRemovableDiskViewController::setMountVolumes(const QMap<QString, VolumeInformation>& volumes) {
  mountVolumes_ = volumes;
  mountVolumeNames_.clear();
  shownVolumes_.clear();
  selectedVolume_.reset();
  for (const VolumeInformation& info : volumes) {
    if (info.name.isEmpty()) continue;
    mountVolumeNames_.append(info.name);
    shownVolumes_.append(info);
  }
  QComboBox* combo = mountVolumeSelectComboBox_;
  const QSignalBlocker quiet(combo);
  combo->clear();
  for (const VolumeInformation& info : shownVolumes_) {
    combo->addItem(info.icon, info.name);
    combo->setItemData(combo->count() - 1, info.devicePath, Qt::ToolTipRole);
  }
  combo->setCurrentIndex(-1);
  okButton_->setEnabled(false);
}

void SelectRemovableDiskViewController::comboBoxSelectionDidChange() {
  okButton_->setEnabled(!mountVolumeSelectComboBox_->currentText().isEmpty());
}

void SelectRemovableDiskViewController::selectOk() {
  // The names skip records without one: pick by the shown list, not the map.
  const int index = mountVolumeSelectComboBox_->currentIndex();
  if (index >= 0 && index < shownVolumes_.size()) selectedVolume_ = shownVolumes_[index];
  emit selectOK(this);
}

void SelectRemovableDiskViewController::cancel() { emit selectCancel(this); }

}  // namespace dashcard
