#include "core/telemetry/telemetry_store.h"

#include <algorithm>
#include <iterator>

namespace dashcard {

const TelemetryStore::Range* TelemetryStore::findRange(const std::vector<Range>& ranges, std::uint32_t group) {
  const auto it = std::lower_bound(ranges.begin(), ranges.end(), group,
                                   [](const Range& range, std::uint32_t value) { return range.group < value; });
  return it != ranges.end() && it->group == group ? &*it : nullptr;
}

void TelemetryStore::expandValid() {
  if (validLocations.empty()) {
    for (std::uint32_t i = 0; i < validRunCount; ++i) {
      validLocations.push_back(validRunBegin + i);
    }
    validRunBegin = 0;
    validRunCount = 0;
  }
}

namespace {

template <typename T>
std::vector<T> exact(std::vector<T>& from, bool copy) {
  if (!copy) {
    return std::move(from);
  }
  std::vector<T> to;
  to.reserve(from.size());
  std::move(from.begin(), from.end(), std::back_inserter(to));
  from.clear();
  return to;
}

}  // namespace

std::shared_ptr<TelemetryStore> TelemetryStore::takeExact(bool keepCapacity) {
  auto to = std::make_shared<TelemetryStore>();
  to->locations = locations.takeExact(keepCapacity);
  const bool oneRun = !validLocations.empty() &&
                      validLocations.back() - validLocations.front() + 1 == validLocations.size();
  if (oneRun) {
    to->validRunBegin = validLocations.front();
    to->validRunCount = static_cast<std::uint32_t>(validLocations.size());
    validLocations.clear();
  } else {
    to->validLocations = exact(validLocations, keepCapacity);
    to->validRunBegin = validRunBegin;
    to->validRunCount = validRunCount;
  }
  to->motions = exact(motions, keepCapacity);
  to->driveSupports = exact(driveSupports, keepCapacity);
  to->carInfos = exact(carInfos, keepCapacity);
  to->groups = exact(groups, keepCapacity);
  to->driveSupportRanges = exact(driveSupportRanges, keepCapacity);
  to->carInfoRanges = exact(carInfoRanges, keepCapacity);
  to->motionEnds = exact(motionEnds, keepCapacity);
  to->userIDs = exact(userIDs, keepCapacity);
  to->firstFixBegin = firstFixBegin;
  to->lastMotionEnd = lastMotionEnd;
  to->standalone = standalone;
  clear();
  return to;
}

void TelemetryStore::clear() {
  locations.clear();
  validLocations.clear();
  validRunBegin = 0;
  validRunCount = 0;
  motions.clear();
  driveSupports.clear();
  carInfos.clear();
  groups.clear();
  driveSupportRanges.clear();
  carInfoRanges.clear();
  motionEnds.clear();
  userIDs.clear();
  firstFixBegin = 0;
  lastMotionEnd = 0;
  standalone = false;
}

}  // namespace dashcard
