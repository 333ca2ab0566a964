#pragma once

#include <QIcon>
#include <QString>
#include <QVariantMap>

namespace dashcard {

// One mounted card as the volume lists show it. The dictionary form carries
// the four literal keys below.
struct VolumeInformation {
  static inline const QString kIconKey = QStringLiteral("VolumeInformationIconKey");
  static inline const QString kNameKey = QStringLiteral("VolumeInformationNameKey");
  static inline const QString kDevicePathKey = QStringLiteral("VolumeInformationDevicePathKey");
  static inline const QString kFullPathKey = QStringLiteral("VolumeInformationFullPathKey");

  // The icon of the volume's kind, 32 x 32.
  QIcon icon;
  // The file-system label, or the mount folder's name.
  QString name;
  // The mount path without a trailing slash, e.g. /media/user/CARD.
  QString devicePath;
  // The mount path as a file URL text with the trailing slash
  // (file:///media/user/CARD/): the identity of a volume in every list.
  QString fullPath;

  QVariantMap toVariantMap() const {
    return {{kIconKey, QVariant::fromValue(icon)},
            {kNameKey, name},
            {kDevicePathKey, devicePath},
            {kFullPathKey, fullPath}};
  }
};

}  // namespace dashcard
