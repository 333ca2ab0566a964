#pragma once

#include "core/telemetry/car_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/motion_data.h"

#include <cstddef>
#include <optional>

namespace dashcard {

class NMEAData;

// What the telemetry of one recording says at one moment of it. Playback
// makes one per tick and hands the same value to the map, the graph, the
// lamps and the capture, so they never disagree about "now".
//
// The one rule: a list of n items is spread evenly over the recording, and
// the moment f = t / T (single precision) picks item trunc(f x n), none when
// that is n or more (the end of the recording) or f is not a number. It is
// applied to each list on its own: the groups (map marker, capture, drive
// support icon, lamps) and the file-wide fixes and G samples (the graph's
// readouts, which read every fix, also those of status "V").
struct TelemetryMoment {
  double seconds = 0.0;   // into the recording
  double duration = 0.0;  // the recording's length; 0 while not known
  // t / T in single precision; 0 while the length is not known.
  float fraction = 0.0f;

  // The sample group at the moment and whether its fix has status "A".
  std::optional<std::size_t> group;
  bool GPSEnable = false;
  // The group's fix (the placeholder when its sentence built none).
  std::optional<CustomLocation> groupLocation;
  // The group's newest drive-support record that shows a warning.
  std::optional<DriveSupportData> warning;
  // The group's newest vehicle sample.
  std::optional<CarInfo> carInfo;

  // The readouts' samples from the file-wide lists. A file without fixes or
  // G samples gives a fix at 0, 0 and a zero sample (what an empty graph
  // shows); without drive-support records there is none.
  std::optional<CustomLocation> location;
  std::optional<MotionData> motion;
  std::optional<DriveSupportData> driveSupport;

  // The moment `seconds` into a recording of `duration` seconds; `nmea` may
  // be null (no telemetry). All lists come from one parse result.
  static TelemetryMoment at(const NMEAData* nmea, double seconds, double duration);
  // The same at a fraction of the recording (a slider, a pointer over the chart).
  static TelemetryMoment atFraction(const NMEAData* nmea, float fraction, double duration);
  // The rule itself: the item of `count` at `fraction`.
  static std::optional<std::size_t> indexAt(float fraction, std::size_t count);

  // The position the capture writes: the group's fix with altitude 0,
  // accuracies 1, the shown course and speed and `date` as its time; none
  // without a group or when the group's fix is not valid.
  std::optional<CustomLocation> captureLocation(const QDateTime& date) const;
};

}  // namespace dashcard
