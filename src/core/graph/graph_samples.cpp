#include "core/graph/graph_samples.h"

#include "core/telemetry/nmea_data.h"

#include <cmath>

namespace dashcard {

namespace {

template <typename T>
std::optional<T> sampleAt(const TelemetryList<T>& list, float position) {
  const auto index = GraphSamples::sampleIndex(position, list.size());
  if (!index) return std::nullopt;
  return list[*index];
}

}  // namespace

std::optional<std::size_t> GraphSamples::sampleIndex(float position, std::size_t count) {
  const float scaled = position * static_cast<float>(count);
  if (!(scaled >= 0.0f) || scaled >= static_cast<float>(count)) return std::nullopt;
  const auto index = static_cast<std::size_t>(scaled);
  if (index >= count) return std::nullopt;
  return index;
}

std::optional<CustomLocation> GraphSamples::currentLocation(const DCFInfoPtr& info, float position) {
  const std::shared_ptr<NMEAData> nmea = info ? info->nmea() : nullptr;
  const TelemetryList<CustomLocation> list = nmea ? nmea->totalLocations() : TelemetryList<CustomLocation>();
  if (list.empty()) return CustomLocation(0.0, 0.0);
  return sampleAt(list, position);
}

std::optional<MotionData> GraphSamples::currentMotion(const DCFInfoPtr& info, float position) {
  const std::shared_ptr<NMEAData> nmea = info ? info->nmea() : nullptr;
  const TelemetryList<MotionData> list = nmea ? nmea->motions() : TelemetryList<MotionData>();
  if (list.empty()) return MotionData(0.0, 0.0, 0.0);
  return sampleAt(list, position);
}

std::optional<DriveSupportData> GraphSamples::currentDriveSupport(const DCFInfoPtr& info, float position) {
  const std::shared_ptr<NMEAData> nmea = info ? info->nmea() : nullptr;
  if (!nmea) return std::nullopt;
  return sampleAt(nmea->driveSupports(), position);
}

float GraphSamples::displaySpeed(const CustomLocation& location) {
  const float v = location.speed != -1.0 ? location.speedForCurrentLocale()
                                         : CustomLocation::speedForCurrentLocale(location.correctedSpeed);
  return std::isnan(v) || v < 0.0f ? 0.0f : v;
}

}  // namespace dashcard
