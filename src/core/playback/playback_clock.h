#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/playback/panes.h"
#include "core/telemetry/telemetry_moment.h"

#include <QDateTime>
#include <QObject>

#include <atomic>

namespace dashcard {

// The clock of one window: where the primary (front) player stands, as a
// date and as a telemetry moment, and the follower (rear) player held to it.
// The window's ticks drive it; it owns no player. Main thread only, but
// userDate() is read by other windows' ticks: atomic.
class PlaybackClock : public QObject {
  Q_OBJECT

 public:
  // Length assumed for a recording that was never played (duration 0) when a
  // master's date is matched.
  static constexpr double kUnknownDuration = 180.0;
  // The most a correction aims ahead of the primary player.
  static constexpr double kMaxFollowerLead = 2.0;

  explicit PlaybackClock(QObject* parent = nullptr);

  // One tick of `primary` playing `info`: the date and the moment follow it.
  void tick(const DCFInfoPtr& info, const PlayerPane& primary);
  // The moment `seconds` into `info` of `duration` seconds (a picture's place).
  void publishMoment(const DCFInfoPtr& info, double seconds, double duration);
  void setUserDate(double secondsSince1970);
  QDateTime userDate() const;
  const TelemetryMoment& moment() const { return moment_; }
  // The primary player's rate at the last tick (1 before any).
  double rate() const { return rate_; }

  // The user holds the time line (drags the graph's slider or cursor): the
  // ticks still publish, but both players stand still.
  void setHeldByUser(bool held) { heldByUser_ = held; }
  bool isHeldByUser() const { return heldByUser_; }

  // Brings `follower` to `primary`'s position and rate; judged only once the
  // follower's last seek landed.
  void alignFollower(PlayerPane& primary, PlayerPane& follower);
  // A new clip was loaded: what its load leaves teaches nothing of seeks.
  void clipDidLoad() { followerCorrecting_ = false; }
  double followerLeadSeconds() const { return followerLeadSeconds_; }

  // The recording of `recordings` that runs at `date` and the fraction of
  // it there; null when none does.
  static DCFInfoPtr recordingAt(const DCFInfoList& recordings, const QDateTime& date, float* fraction);

 signals:
  // Every tick: the graph, the map, the lamps and the capture follow it;
  // `info` is the recording it belongs to.
  void momentDidChange(const TelemetryMoment& moment, const DCFInfoPtr& info);

 private:
  double followerLeadSeconds_ = 0.0;
  bool followerCorrecting_ = false;
  TelemetryMoment moment_;
  double rate_ = 1.0;
  bool heldByUser_ = false;
  std::atomic<qint64> userDateMs_{0};
};

}  // namespace dashcard
