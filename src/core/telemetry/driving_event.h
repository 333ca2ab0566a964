#pragma once

#include "core/telemetry/gps_track_cleaner.h"
#include "core/telemetry/motion_data.h"

#include <QColor>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace dashcard {

// A moment of harsh driving found in the G-sensor samples of one recording.
struct DrivingEvent {
  enum class Kind { Braking, Acceleration, Cornering };
  Kind kind = Kind::Braking;
  // Into the recording, where the harsh part starts.
  double seconds = 0.0;
  double durationSeconds = 0.0;
  // Largest magnitude along the event's axis, g.
  double peakG = 0.0;

  // "braking", "acceleration", "cornering".
  static QString kindName(Kind kind);
  static std::optional<Kind> kindFromName(const QString& name);
  // "Hard braking", ... in the user's language.
  static QString kindTitle(Kind kind);
  // The kind's colour on the graph, the map and in the lists: one per kind,
  // away from the G curves' and the drive-support marks' colours.
  static QColor kindColor(Kind kind);
};

// Defaults are the elevated g-force triggers of the Naturalistic Teenage
// Driving Study (Simons-Morton et al., Am J Epidemiol 2012;175:1075-9):
// hard stops at -0.45 g, rapid starts at 0.35 g, hard turns at 0.50 g.
struct DrivingEventThresholds {
  double brakingG = 0.45;
  double accelerationG = 0.35;
  double corneringG = 0.50;
  // Shorter runs above a threshold are knocks and bumps (a pothole, a
  // door), not driving.
  double minimumSeconds = 0.5;
};

// How the sensor sits in the car: unit vectors of the sensor's axes'
// frame pointing up (against gravity as the sensor reads it), forward
// (the way speed grows) and sideways.
struct MountAxes {
  using Vector = std::array<double, 3>;
  Vector up{};
  Vector forward{};
  Vector side{};
};

// The G samples of one recording with the track seconds they belong to:
// the samples are spread evenly over `durationSeconds` (the one rule of the
// telemetry), the track holds one point per second.
struct DriveSignal {
  std::span<const MotionData> motions;
  std::span<const TrackPoint> track;
  const CleanTrack* clean = nullptr;
  double durationSeconds = 0.0;
};

class DrivingEventDetector {
 public:
  // Gravity is the mean of the samples; forward is the horizontal direction
  // whose reading follows the GPS speed changes (least squares over every
  // second with a clean speed on both sides). Nothing when the recordings
  // hold too little braking and accelerating to tell.
  static std::optional<MountAxes> estimateAxes(std::span<const DriveSignal> inputs);
  // The events of one recording, in time order.
  static std::vector<DrivingEvent> detect(const DriveSignal& signal, const MountAxes& axes,
                                          const DrivingEventThresholds& thresholds = {});
};

}  // namespace dashcard
