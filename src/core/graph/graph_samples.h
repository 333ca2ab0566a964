#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/motion_data.h"

#include <cstddef>
#include <optional>

namespace dashcard {

// The telemetry samples at a playback position (0..1) of a recording.
class GraphSamples {
 public:
  GraphSamples() = delete;

  // The integer part of position x count, computed in single precision; none
  // when it is not below `count` (the end of the slider) or not a number.
  static std::optional<std::size_t> sampleIndex(float position, std::size_t count);

  // Without samples (or without a recording): a location at 0, 0 / a zero
  // G sample / none.
  static std::optional<CustomLocation> currentLocation(const DCFInfoPtr& info, float position);
  static std::optional<MotionData> currentMotion(const DCFInfoPtr& info, float position);
  static std::optional<DriveSupportData> currentDriveSupport(const DCFInfoPtr& info, float position);
  // The speed to show for a location in the user's unit: its own, else the
  // carried-over one; 0 for a negative or unreadable value.
  static float displaySpeed(const CustomLocation& location);
};

}  // namespace dashcard
