#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>

namespace dashcard {

class MediaController;

// Which window's media controller, if any, is the master of synchronised
// play. One per process; holds the master weakly, so a closed window leaves
// no master. Main thread only.
class MediaControllerManager : public QObject {
  Q_OBJECT

 public:
  static MediaControllerManager* sharedInstance();

  MediaController* masterController() const;
  // Stores the master (or none). A new master is announced with
  // "MasterMediaControllerDidChangeNotification"; clearing is silent.
  void updateMasterController(MediaController* controller);
  // The master's tick: posts "MasterMediaControllerDateDidUpdateNotification"
  // with `date` when `sender` is the master; otherwise nothing.
  void updateReferenceTime(const QDateTime& date, MediaController* sender);

 private:
  MediaControllerManager() = default;
  QPointer<MediaController> masterController_;
};

}  // namespace dashcard
