#include "core/graph/graph_samples.h"

#include "core/telemetry/gps_track_cleaner.h"

#include <cmath>

namespace dashcard {

float GraphSamples::displaySpeed(const CustomLocation& location) {
  const float v = location.speed != -1.0 ? location.speedForCurrentLocale()
                                         : CustomLocation::speedForCurrentLocale(location.correctedSpeed);
  return std::isnan(v) || v < 0.0f ? 0.0f : v;
}

std::vector<std::optional<double>> GraphSamples::bridgedSpeeds(const QList<GOPData>& gops) {
  std::vector<TrackPoint> track;
  track.reserve(static_cast<std::size_t>(gops.size()));
  for (const GOPData& gop : gops) track.push_back(TrackPoint::of(gop.location(), gop.isValid()));
  const CleanTrack clean = CleanTrack::of(track);
  std::vector<std::optional<double>> bridged(track.size());
  std::optional<double> lastClean;
  for (std::size_t i = 0; i < track.size(); ++i) {
    if (track[i].valid && track[i].speed >= 0.0 && !clean.speedOk[i]) {
      bridged[i] = lastClean;
    } else if (track[i].speed >= 0.0) {
      lastClean = track[i].speed;
    }
  }
  return bridged;
}

}  // namespace dashcard
