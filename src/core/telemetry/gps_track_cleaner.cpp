#include "core/telemetry/gps_track_cleaner.h"

#include <cmath>
#include <optional>

namespace dashcard {
namespace {

constexpr double kEarthRadius = 6371008.8;
constexpr double kRadians = 3.14159265358979323846 / 180.0;

bool plausibleCoordinate(const TrackPoint& p) {
  return std::isfinite(p.latitude) && std::isfinite(p.longitude) && std::fabs(p.latitude) <= 90.0 &&
         std::fabs(p.longitude) <= 180.0 && !(p.latitude == 0.0 && p.longitude == 0.0);
}

double impliedSpeed(std::span<const TrackPoint> points, std::size_t a, std::size_t b) {
  return CleanTrack::distanceMetres(points[a], points[b]) / CleanTrack::secondsBetween(points[a], a, points[b], b);
}

}  // namespace

TrackPoint TrackPoint::of(const CustomLocation& fix, bool valid) {
  TrackPoint point;
  point.latitude = fix.latitude;
  point.longitude = fix.longitude;
  point.speed = fix.speed;
  const qint64 msecs = fix.timestamp.isValid() ? fix.timestamp.toMSecsSinceEpoch() : 0;
  point.utcMSecs = msecs > 0 ? msecs : 0;
  point.valid = valid && fix.hasCoordinate();
  return point;
}

double CleanTrack::distanceMetres(const TrackPoint& a, const TrackPoint& b) {
  const double dLat = (b.latitude - a.latitude) * kRadians;
  const double dLon = (b.longitude - a.longitude) * kRadians;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(a.latitude * kRadians) * std::cos(b.latitude * kRadians) * std::sin(dLon / 2) *
                       std::sin(dLon / 2);
  return 2.0 * kEarthRadius * std::asin(std::sqrt(std::min(1.0, h)));
}

double CleanTrack::secondsBetween(const TrackPoint& a, std::size_t ia, const TrackPoint& b, std::size_t ib) {
  if (a.utcMSecs > 0 && b.utcMSecs > a.utcMSecs) {
    return static_cast<double>(b.utcMSecs - a.utcMSecs) / 1000.0;
  }
  return std::max<double>(1.0, static_cast<double>(ib) - static_cast<double>(ia));
}

CleanTrack CleanTrack::of(std::span<const TrackPoint> points) {
  const std::size_t n = points.size();
  CleanTrack result;
  result.positionOk.assign(n, false);
  result.speedOk.assign(n, false);
  std::vector<std::size_t> candidates;
  candidates.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (points[i].valid && plausibleCoordinate(points[i])) {
      candidates.push_back(i);
    }
  }
  // Jumps: a fix too far from both neighbours is the odd one out.
  const std::size_t m = candidates.size();
  for (std::size_t k = 0; k < m; ++k) {
    const std::size_t i = candidates[k];
    bool jump = false;
    if (k > 0 && k + 1 < m) {
      jump = impliedSpeed(points, candidates[k - 1], i) > kMaxImpliedSpeed &&
             impliedSpeed(points, i, candidates[k + 1]) > kMaxImpliedSpeed;
    } else if (k == 0 && m >= 3) {
      jump = impliedSpeed(points, i, candidates[1]) > kMaxImpliedSpeed &&
             impliedSpeed(points, candidates[1], candidates[2]) <= kMaxImpliedSpeed;
    } else if (k + 1 == m && m >= 3) {
      jump = impliedSpeed(points, candidates[k - 1], i) > kMaxImpliedSpeed &&
             impliedSpeed(points, candidates[k - 2], candidates[k - 1]) <= kMaxImpliedSpeed;
    }
    result.positionOk[i] = !jump;
  }
  // Speed spikes against both neighbours with a known speed.
  std::vector<std::size_t> speeds;
  speeds.reserve(m);
  for (std::size_t i : candidates) {
    const double v = points[i].speed;
    if (result.positionOk[i] && std::isfinite(v) && v >= 0.0 && v <= kMaxImpliedSpeed) {
      speeds.push_back(i);
    }
  }
  for (std::size_t k = 0; k < speeds.size(); ++k) {
    const std::size_t i = speeds[k];
    bool spike = false;
    if (k > 0 && k + 1 < speeds.size()) {
      const std::size_t p = speeds[k - 1];
      const std::size_t q = speeds[k + 1];
      const double up = kMaxSpeedStep * secondsBetween(points[p], p, points[i], i);
      const double down = kMaxSpeedStep * secondsBetween(points[i], i, points[q], q);
      const double before = points[i].speed - points[p].speed;
      const double after = points[i].speed - points[q].speed;
      spike = (before > up && after > down) || (-before > up && -after > down);
    }
    result.speedOk[i] = !spike;
  }
  return result;
}

}  // namespace dashcard
