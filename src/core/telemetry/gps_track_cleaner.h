#pragma once

#include "core/telemetry/custom_location.h"

#include <QtGlobal>

#include <cstdint>
#include <span>
#include <vector>

namespace dashcard {

// One second of a track as the cleaning and the trip figures read it: the
// group's fix reduced to what they need.
struct TrackPoint {
  double latitude = 0.0;
  double longitude = 0.0;
  // m/s; negative when unknown.
  double speed = -1.0;
  // UTC milliseconds since the epoch; 0 when the fix has no time.
  qint64 utcMSecs = 0;
  // Status "A" with a coordinate.
  bool valid = false;

  static TrackPoint of(const CustomLocation& fix, bool valid);
};

// Which fixes of a track are fit to show. Receivers now and then report a
// position kilometres away for one second, or a speed that jumps up (or to
// zero) for one second; the map, the gauge, the speed line, distances and
// driving events leave those out. The model and the exports keep them.
//
// Rules, between each fix and its nearest valid neighbours (time from the
// fixes, else one second per group):
// - position: dropped when the implied speed to both neighbours (to the one
//   neighbour at either end of the track, whose own next step is sane)
//   exceeds kMaxImpliedSpeed;
// - speed: dropped when the position is, when above kMaxImpliedSpeed, or
//   when it differs from both neighbours' speeds in the same direction by
//   more than kMaxSpeedStep per second between them (about 1 g, more than
//   a car brakes or accelerates).
struct CleanTrack {
  // 90 m/s (324 km/h): faster than road vehicles; a one-second jump of a
  // few hundred metres or more is the receiver's junk.
  static constexpr double kMaxImpliedSpeed = 90.0;
  static constexpr double kMaxSpeedStep = 9.81;

  std::vector<bool> positionOk;
  std::vector<bool> speedOk;

  static CleanTrack of(std::span<const TrackPoint> points);
  // Great-circle distance in metres (mean Earth radius).
  static double distanceMetres(const TrackPoint& a, const TrackPoint& b);
  // Seconds between two points of a track at indexes `ia` < `ib`: their
  // fix times when both have one and they ascend, else the index difference.
  static double secondsBetween(const TrackPoint& a, std::size_t ia, const TrackPoint& b, std::size_t ib);
};

}  // namespace dashcard
