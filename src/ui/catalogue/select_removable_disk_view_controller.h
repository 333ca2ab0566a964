#pragma once

#include "core/catalogue/volume_information.h"

#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

#include <optional>

namespace dashcard {

// The sheet in which the user picks the card whose camera settings to edit:
// a combo box of the volumes' names, OK and Cancel. The opener hears of the
// choice through selectOK / selectCancel.
class SelectRemovableDiskViewController : public QDialog {
  Q_OBJECT
 public:
  explicit SelectRemovableDiskViewController(QWidget* parent = nullptr);

  // Volume records by full path, in the order to list them.
  void setMountVolumes(const QMap<QString, VolumeInformation>& volumes);
  const QMap<QString, VolumeInformation>& mountVolumes() const { return mountVolumes_; }
  const QStringList& mountVolumeNames() const { return mountVolumeNames_; }
  const std::optional<VolumeInformation>& selectedVolume() const { return selectedVolume_; }
  QPushButton* okButton() const { return okButton_; }
  QComboBox* mountVolumeSelectComboBox() const { return mountVolumeSelectComboBox_; }

  void selectOk();
  void cancel();
  void comboBoxSelectionDidChange();

 signals:
  void selectOK(SelectRemovableDiskViewController* chooser);
  void selectCancel(SelectRemovableDiskViewController* chooser);

 protected:
  void reject() override { cancel(); }

 private:
  QMap<QString, VolumeInformation> mountVolumes_;
  QStringList mountVolumeNames_;
  // The records behind the names, position for position.
  QList<VolumeInformation> shownVolumes_;
  std::optional<VolumeInformation> selectedVolume_;
  QPointer<QPushButton> okButton_;
  QPointer<QComboBox> mountVolumeSelectComboBox_;
};

}  // namespace dashcard
