#include "core/playback/media_controller_manager.h"

#include "core/playback/media_controller.h"

namespace dashcard {

MediaControllerManager* MediaControllerManager::sharedInstance() {
  static MediaControllerManager* manager = new MediaControllerManager;  // lives as long as the process
  return manager;
}

MediaController* MediaControllerManager::masterController() const { return masterController_.data(); }

void MediaControllerManager::updateMasterController(MediaController* controller) {
  masterController_ = controller;
  if (controller != nullptr) emit masterControllerDidChange(controller);
}

void MediaControllerManager::updateReferenceTime(const QDateTime& date, MediaController* sender) {
  if (sender == nullptr || sender != masterController_.data() || !date.isValid()) return;
  emit masterDateDidUpdate(date);
}

}  // namespace dashcard
