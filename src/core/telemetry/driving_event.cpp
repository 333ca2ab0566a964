#include "core/telemetry/driving_event.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace dashcard {
namespace {

using Vector = MountAxes::Vector;

constexpr double kStandardGravity = 9.80665;
// A sample far from 1 g in magnitude while parked or cruising is the
// sensor's "no reading" marker (read as 0.0) or junk: it says nothing about gravity.
constexpr double kMinGravitySample = 0.5;
constexpr double kMaxGravitySample = 1.5;
// Forward needs this much speed change: sum of squared accelerations in
// g^2 (twenty seconds at 0.05 g).
constexpr double kMinForwardSignal = 20 * 0.05 * 0.05;
// Dips below a threshold shorter than this do not split an event.
constexpr double kMergeGapSeconds = 0.3;

double dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vector scaled(const Vector& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
Vector minus(const Vector& a, const Vector& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vector cross(const Vector& a, const Vector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vector& a) { return std::sqrt(dot(a, a)); }
Vector vectorOf(const MotionData& m) { return {m.gx(), m.gy(), m.gz()}; }

// Samples [begin, end) of second `s` of a signal.
std::pair<std::size_t, std::size_t> samplesOfSecond(const DriveSignal& signal, std::size_t s) {
  const double perSecond = static_cast<double>(signal.motions.size()) / signal.durationSeconds;
  const auto begin = static_cast<std::size_t>(std::ceil(static_cast<double>(s) * perSecond));
  const auto end = static_cast<std::size_t>(std::ceil(static_cast<double>(s + 1) * perSecond));
  return {std::min(begin, signal.motions.size()), std::min(end, signal.motions.size())};
}

bool cleanSpeed(const DriveSignal& signal, std::size_t i) {
  return i < signal.track.size() && signal.clean != nullptr && i < signal.clean->speedOk.size() &&
         signal.clean->speedOk[i];
}

}  // namespace

QString DrivingEvent::kindName(Kind kind) {
  switch (kind) {
    case Kind::Braking:
      return QStringLiteral("braking");
    case Kind::Acceleration:
      return QStringLiteral("acceleration");
    case Kind::Cornering:
      return QStringLiteral("cornering");
  }
  return {};
}

QString DrivingEvent::kindTitle(Kind kind) {
  switch (kind) {
    case Kind::Braking:
      return QCoreApplication::translate("DrivingEvent", "Hard braking");
    case Kind::Acceleration:
      return QCoreApplication::translate("DrivingEvent", "Hard acceleration");
    case Kind::Cornering:
      return QCoreApplication::translate("DrivingEvent", "Sharp cornering");
  }
  return {};
}

QColor DrivingEvent::kindColor(Kind kind) {
  switch (kind) {
    case Kind::Braking:
      return {214, 39, 40};
    case Kind::Acceleration:
      return {44, 160, 44};
    case Kind::Cornering:
      return {255, 127, 14};
  }
  // Qt::gray by value: its constructor lives in Qt Gui, which the light
  // command-line program would otherwise load (35 more libraries at start).
  return {160, 160, 164};
}

std::optional<DrivingEvent::Kind> DrivingEvent::kindFromName(const QString& name) {
  for (Kind kind : {Kind::Braking, Kind::Acceleration, Kind::Cornering}) {
    if (name == kindName(kind)) return kind;
  }
  return std::nullopt;
}

std::optional<MountAxes> DrivingEventDetector::estimateAxes(std::span<const DriveSignal> inputs) {
  Vector gravity{};
  std::size_t count = 0;
  for (const DriveSignal& signal : inputs) {
    for (const MotionData& m : signal.motions) {
      const Vector v = vectorOf(m);
      const double n = norm(v);
      if (n >= kMinGravitySample && n <= kMaxGravitySample) {
        gravity = {gravity[0] + v[0], gravity[1] + v[1], gravity[2] + v[2]};
        ++count;
      }
    }
  }
  if (count == 0 || norm(gravity) == 0.0) return std::nullopt;
  const Vector up = scaled(gravity, 1.0 / norm(gravity));

  // Least squares of the horizontal reading against the GPS acceleration.
  Vector along{};
  double signal2 = 0.0;
  for (const DriveSignal& signal : inputs) {
    if (!(signal.durationSeconds > 0.0) || signal.motions.empty()) continue;
    for (std::size_t s = 1; s + 1 < signal.track.size(); ++s) {
      if (!cleanSpeed(signal, s - 1) || !cleanSpeed(signal, s + 1)) continue;
      const TrackPoint& before = signal.track[s - 1];
      const TrackPoint& after = signal.track[s + 1];
      const double dt = CleanTrack::secondsBetween(before, s - 1, after, s + 1);
      if (dt > 4.0) continue;
      const double a = (after.speed - before.speed) / dt / kStandardGravity;
      const auto [begin, end] = samplesOfSecond(signal, s);
      Vector mean{};
      std::size_t used = 0;
      for (std::size_t i = begin; i < end; ++i) {
        const Vector v = vectorOf(signal.motions[i]);
        const double n = norm(v);
        if (n < kMinGravitySample || n > 2.5) continue;
        const Vector h = minus(v, scaled(up, dot(v, up)));
        mean = {mean[0] + h[0], mean[1] + h[1], mean[2] + h[2]};
        ++used;
      }
      if (used == 0) continue;
      mean = scaled(mean, 1.0 / static_cast<double>(used));
      along = {along[0] + a * mean[0], along[1] + a * mean[1], along[2] + a * mean[2]};
      signal2 += a * a;
    }
  }
  if (signal2 < kMinForwardSignal || norm(along) == 0.0) return std::nullopt;
  MountAxes axes;
  axes.up = up;
  axes.forward = scaled(along, 1.0 / norm(along));
  axes.side = cross(axes.up, axes.forward);
  return axes;
}

std::vector<DrivingEvent> DrivingEventDetector::detect(const DriveSignal& signal, const MountAxes& axes,
                                                       const DrivingEventThresholds& thresholds) {
  std::vector<DrivingEvent> events;
  const std::size_t n = signal.motions.size();
  if (n == 0 || !(signal.durationSeconds > 0.0)) return events;
  const double spacing = signal.durationSeconds / static_cast<double>(n);
  const auto mergeGap = static_cast<std::size_t>(kMergeGapSeconds / spacing);

  struct Run {
    bool open = false;
    std::size_t first = 0;
    std::size_t last = 0;
    double peak = 0.0;
  };
  const DrivingEvent::Kind kinds[] = {DrivingEvent::Kind::Braking, DrivingEvent::Kind::Acceleration,
                                      DrivingEvent::Kind::Cornering};
  const double limits[] = {thresholds.brakingG, thresholds.accelerationG, thresholds.corneringG};
  Run runs[3];
  auto close = [&](int k) {
    Run& run = runs[k];
    if (!run.open) return;
    const double duration = static_cast<double>(run.last - run.first + 1) * spacing;
    if (duration + 1e-9 >= thresholds.minimumSeconds) {
      events.push_back({kinds[k], static_cast<double>(run.first) * spacing, duration, run.peak});
    }
    run = {};
  };

  double along = 0.0;
  double side = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Vector v = vectorOf(signal.motions[i]);
    // A missing reading keeps the previous one rather than cutting an event in two.
    if (norm(v) >= 0.3) {
      along = dot(v, axes.forward);
      side = dot(v, axes.side);
    }
    const double values[] = {-along, along, std::fabs(side)};
    for (int k = 0; k < 3; ++k) {
      Run& run = runs[k];
      if (limits[k] > 0.0 && values[k] >= limits[k]) {
        if (!run.open) {
          run.open = true;
          run.first = i;
        }
        run.last = i;
        run.peak = std::max(run.peak, values[k]);
      } else if (run.open && i - run.last > mergeGap) {
        close(k);
      }
    }
  }
  for (int k = 0; k < 3; ++k) close(k);
  std::sort(events.begin(), events.end(),
            [](const DrivingEvent& a, const DrivingEvent& b) { return a.seconds < b.seconds; });
  return events;
}

}  // namespace dashcard
