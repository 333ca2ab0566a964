#include "core/playback/media_controller_manager.h"

#include "core/common/notification_center.h"
#include "core/playback/media_controller.h"

namespace dashcard {

MediaControllerManager* MediaControllerManager::sharedInstance() {
  static MediaControllerManager* manager = new MediaControllerManager;  // lives as long as the process
  return manager;
}

MediaController* MediaControllerManager::masterController() const { return masterController_.data(); }

void MediaControllerManager::updateMasterController(MediaController* controller) {
  masterController_ = controller;
  if (controller != nullptr) {
    NotificationCenter::defaultCenter().post(QString::fromLatin1(kMasterMediaControllerDidChangeNotification),
                                             controller);
  }
}

void MediaControllerManager::updateReferenceTime(const QDateTime& date, MediaController* sender) {
  if (sender == nullptr || sender != masterController_.data() || !date.isValid()) return;
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kMasterMediaControllerDateDidUpdateNotification),
                                           nullptr, date);
}

}  // namespace dashcard
