#pragma once

#include <QIcon>
#include <QString>

namespace dashcard {

// One mounted card as the volume lists show it.
struct VolumeInformation {
  // The icon of the volume's kind, 32 x 32.
  QIcon icon;
  // The file-system label, or the mount folder's name.
  QString name;
  // The mount path without a trailing slash, e.g. /media/user/CARD.
  QString devicePath;
  // The mount path as a file URL text with the trailing slash
  // (file:///media/user/CARD/): the identity of a volume in every list.
  QString fullPath;
};

}  // namespace dashcard
