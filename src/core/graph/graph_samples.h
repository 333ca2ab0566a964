#pragma once

#include "core/telemetry/custom_location.h"

namespace dashcard {

// How the graph shows the samples of a moment (TelemetryMoment).
class GraphSamples {
 public:
  GraphSamples() = delete;

  // The speed to show for a location in the user's unit: its own, else the
  // carried-over one; 0 for a negative or unreadable value.
  static float displaySpeed(const CustomLocation& location);
};

}  // namespace dashcard
