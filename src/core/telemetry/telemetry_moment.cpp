#include "core/telemetry/telemetry_moment.h"

#include "core/telemetry/gop_data.h"
#include "core/telemetry/nmea_data.h"
#include "core/telemetry/telemetry_store.h"

#include <cmath>
#include <type_traits>
#include <vector>

namespace dashcard {

namespace {

template <typename List>
auto itemAt(const List& items, float fraction) -> std::optional<std::decay_t<decltype(items[0])>> {
  const auto index = TelemetryMoment::indexAt(fraction, items.size());
  if (!index) return std::nullopt;
  return items[*index];
}

}  // namespace

std::optional<std::size_t> TelemetryMoment::indexAt(float fraction, std::size_t count) {
  const float scaled = fraction * static_cast<float>(count);
  if (!(scaled >= 0.0f) || scaled >= static_cast<float>(count)) return std::nullopt;
  const auto index = static_cast<std::size_t>(scaled);
  if (index >= count) return std::nullopt;
  return index;
}

TelemetryMoment TelemetryMoment::at(const NMEAData* nmea, double seconds, double duration) {
  const float fraction = duration > 0.0 ? static_cast<float>(seconds) / static_cast<float>(duration) : 0.0f;
  TelemetryMoment moment = atFraction(nmea, fraction, duration);
  moment.seconds = seconds;
  // Without a length nothing can be placed on the groups.
  if (!(duration > 0.0)) {
    moment.group.reset();
    moment.GPSEnable = false;
    moment.groupLocation.reset();
    moment.warning.reset();
    moment.carInfo.reset();
  }
  return moment;
}

TelemetryMoment TelemetryMoment::atFraction(const NMEAData* nmea, float fraction, double duration) {
  TelemetryMoment moment;
  moment.fraction = fraction;
  moment.duration = duration > 0.0 ? duration : 0.0;
  moment.seconds = static_cast<double>(fraction) * moment.duration;
  const std::shared_ptr<const TelemetryStore> store = nmea ? nmea->snapshot()->store : nullptr;
  if (!store) {
    moment.location = CustomLocation(0.0, 0.0);
    moment.motion = MotionData(0.0, 0.0, 0.0);
    return moment;
  }
  moment.location = store->locations.empty() ? CustomLocation(0.0, 0.0) : itemAt(store->locations, fraction);
  moment.motion = store->motions.empty() ? MotionData(0.0, 0.0, 0.0) : itemAt(store->motions, fraction);
  moment.driveSupport = itemAt(store->driveSupports, fraction);
  moment.group = indexAt(fraction, store->groups.size());
  if (!moment.group) return moment;
  const GOPData group(store, static_cast<std::uint32_t>(*moment.group));
  moment.GPSEnable = group.isValid();
  moment.groupLocation = group.location();
  const TelemetryList<DriveSupportData> records = group.driveSupportInfos();
  for (auto it = records.end(); it != records.begin();) {
    --it;
    if (!it->appearanceImageName().isEmpty()) {
      moment.warning = *it;
      break;
    }
  }
  const TelemetryList<CarInfo> cars = group.carInfos();
  if (!cars.empty()) moment.carInfo = cars.back();
  return moment;
}

std::optional<CustomLocation> TelemetryMoment::captureLocation(const QDateTime& date) const {
  if (!group || !GPSEnable || !groupLocation || !groupLocation->hasCoordinate()) return std::nullopt;
  const CustomLocation& fix = *groupLocation;
  return CustomLocation(fix.latitude, fix.longitude, 0.0, 1.0, 1.0, fix.displayCourse(), fix.displaySpeed(), date);
}

}  // namespace dashcard
