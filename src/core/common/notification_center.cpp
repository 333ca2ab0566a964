#include "core/common/notification_center.h"

#include <QDateTime>

namespace dashcard {

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* center = new NotificationCenter;  // lives as long as the process
  return *center;
}

void NotificationCenter::post(const QString& name, QObject* object, const QVariant& value) {
  emit notification(name, object, value);
  if (name == QLatin1String(kMasterMediaControllerDidChangeNotification)) {
    emit masterMediaControllerDidChange(object);
  } else if (name == QLatin1String(kMasterMediaControllerDateDidUpdateNotification)) {
    emit masterMediaControllerDateDidUpdate(value.toDateTime());
  } else if (name == QLatin1String(kPlayerScrollViewDetectTripleTapNotification)) {
    emit playerScrollViewDetectTripleTap(object);
  }
}

}  // namespace dashcard
