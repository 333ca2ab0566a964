#pragma once

#include "core/telemetry/custom_location.h"
#include "core/telemetry/gop_data.h"

#include <QList>

#include <optional>
#include <vector>

namespace dashcard {

// How the graph shows the samples of a moment (TelemetryMoment).
class GraphSamples {
 public:
  GraphSamples() = delete;

  // The speed to show for a location in the user's unit: its own, else the
  // carried-over one; 0 for a negative or unreadable value.
  static float displaySpeed(const CustomLocation& location);
  // Per group, the speed (m/s) the speed line and the gauge show instead of
  // the group's own where CleanTrack finds it made up for a second: the last
  // clean one before it; none where the group's own stands (also for fixes
  // without a valid position: nothing to check them against). The model
  // keeps the raw values.
  static std::vector<std::optional<double>> bridgedSpeeds(const QList<GOPData>& gops);
};

}  // namespace dashcard
