#pragma once

#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVariantMap>

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
  void setMountVolumes(const QMap<QString, QVariantMap>& volumes);
  const QMap<QString, QVariantMap>& mountVolumes() const { return mountVolumes_; }
  const QStringList& mountVolumeNames() const { return mountVolumeNames_; }
  const std::optional<QVariantMap>& selectedVolume() const { return selectedVolume_; }
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
  QMap<QString, QVariantMap> mountVolumes_;
  QStringList mountVolumeNames_;
  // The records behind the names, position for position.
  QList<QVariantMap> shownVolumes_;
  std::optional<QVariantMap> selectedVolume_;
  QPointer<QPushButton> okButton_;
  QPointer<QComboBox> mountVolumeSelectComboBox_;
};

}  // namespace dashcard
