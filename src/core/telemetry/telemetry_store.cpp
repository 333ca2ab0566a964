#include "core/telemetry/telemetry_store.h"

#include <algorithm>

namespace dashcard {

const TelemetryStore::Range* TelemetryStore::findRange(const std::vector<Range>& ranges, std::uint32_t group) {
  const auto it = std::lower_bound(ranges.begin(), ranges.end(), group,
                                   [](const Range& range, std::uint32_t value) { return range.group < value; });
  return it != ranges.end() && it->group == group ? &*it : nullptr;
}

void TelemetryStore::shrink() {
  locations.shrink_to_fit();
  validLocations.shrink_to_fit();
  motions.shrink_to_fit();
  driveSupports.shrink_to_fit();
  carInfos.shrink_to_fit();
  groups.shrink_to_fit();
  driveSupportRanges.shrink_to_fit();
  carInfoRanges.shrink_to_fit();
  motionEnds.shrink_to_fit();
  userIDs.shrink_to_fit();
}

}  // namespace dashcard
