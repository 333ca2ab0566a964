#include "core/playback/playback_clock.h"

#include "core/telemetry/nmea_data.h"

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {

double secondsSince1970(const QDateTime& date) { return static_cast<double>(date.toMSecsSinceEpoch()) / 1000.0; }

}  // namespace

PlaybackClock::PlaybackClock(QObject* parent) : QObject(parent) {}

QDateTime PlaybackClock::userDate() const { return QDateTime::fromMSecsSinceEpoch(userDateMs_.load(), Qt::UTC); }

void PlaybackClock::setUserDate(double seconds) {
  userDateMs_.store(std::isfinite(seconds) ? std::llround(seconds * 1000.0) : 0);
}

void PlaybackClock::publishMoment(const DCFInfoPtr& info, double seconds, double duration) {
  const std::shared_ptr<NMEAData> nmea = info ? info->nmea() : nullptr;
  moment_ = TelemetryMoment::at(nmea.get(), seconds, duration);
  emit momentDidChange(moment_, info);
}

void PlaybackClock::tick(const DCFInfoPtr& info, const PlayerPane& primary) {
  rate_ = primary.playbackRate();
  publishMoment(info, primary.originalCurrentTime(), primary.originalTotalTime());
  double date = 0.0;
  if (info && info->startDate().isValid()) {
    date = secondsSince1970(info->startDate()) + primary.originalCurrentTime();
  } else if (info && info->fileDate().isValid()) {
    date = secondsSince1970(info->fileDate()) - primary.originalTotalTime() + primary.originalCurrentTime();
  }
  setUserDate(date);
}

void PlaybackClock::alignFollower(PlayerPane& s, PlayerPane& t) {
  // While a seek runs the follower's progress shows its target, and a seek
  // that lands late would pass for done.
  if (t.isSeeking()) return;
  const double length = t.originalTotalTime();
  const double rate = s.playbackRate() > 0.0 ? s.playbackRate() : 1.0;
  const bool playing = s.isPlaying() && t.isPlaying();
  // Media seconds the follower is behind (negative: ahead).
  const double behind = static_cast<double>(s.progress() - t.progress()) * length;
  if (followerCorrecting_) {
    // What is left after a correction of a playing pair is the time its
    // seek took: the next one aims that far ahead.
    followerCorrecting_ = false;
    if (playing) followerLeadSeconds_ = std::clamp(followerLeadSeconds_ + behind / rate, 0.0, kMaxFollowerLead);
  }
  // A paused pair stands within 10 ms; a playing one within 50 ms plus
  // 100 ms of media per unit of rate (ticks and, at high rates, key frames
  // only are that coarse).
  const double tolerance = t.isPlaying() ? 0.05 + 0.1 * rate : 0.01;
  if (length > 0.0 && std::fabs(behind) > tolerance) {
    if (s.isPlaying()) {
      t.play();
    } else {
      t.pause();
    }
    const double lead = s.isPlaying() ? followerLeadSeconds_ * rate / length : 0.0;
    t.setCurrentProgress(static_cast<float>(std::min(1.0, static_cast<double>(s.progress()) + lead)));
    followerCorrecting_ = true;
  }
  if (s.playbackRate() != t.playbackRate()) t.updatePlaybackRate(s.playbackRate());
}

DCFInfoPtr PlaybackClock::recordingAt(const DCFInfoList& recordings, const QDateTime& date, float* fraction) {
  const double t = secondsSince1970(date);
  for (const DCFInfoPtr& info : recordings) {
    if (!info || !info->fileDate().isValid()) continue;
    const double end = secondsSince1970(info->fileDate());
    const double length = info->duration() != 0.0 ? info->duration() : kUnknownDuration;
    if (end > t && end - length < t) {
      const double duration = info->duration();
      if (fraction != nullptr) {
        *fraction = duration == 0.0 ? 0.0F : static_cast<float>((t - (end - duration)) / duration);
      }
      return info;
    }
  }
  return nullptr;
}

}  // namespace dashcard
