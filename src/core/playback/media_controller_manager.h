#pragma once

#include "core/playback/media_controller.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

namespace dashcard {

// Which window's media controller, if any, is the master of synchronised
// play. One per process; holds the master weakly, so a closed window leaves
// no master. Main thread only.
class MediaControllerManager : public QObject {
  Q_OBJECT

 public:
  static MediaControllerManager* sharedInstance();

  MediaController* masterController() const;
  // Stores the master (or none). A new master is announced with
  // masterControllerDidChange; clearing is silent.
  void updateMasterController(MediaController* controller);
  // The master's tick: announces `date` with masterDateDidUpdate when
  // `sender` is the master; otherwise nothing.
  void updateReferenceTime(const QDateTime& date, MediaController* sender);

 signals:
  void masterControllerDidChange(MediaController* master);
  // The master's wall-clock date of playback; the other windows follow it.
  void masterDateDidUpdate(const QDateTime& date);

 private:
  MediaControllerManager() = default;
  QPointer<MediaController> masterController_;
};

}  // namespace dashcard
