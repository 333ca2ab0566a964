#pragma once

#include "core/telemetry/car_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/fix_list.h"
#include "core/telemetry/motion_data.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace dashcard {

// The lists of one parse result, laid out flat so that a track of an hour
// costs little memory: a group is 8 bytes and points into the flat lists.
// Immutable once shared; GOPData and TelemetryList read it.
struct TelemetryStore {
  // One group: the end of its fixes in `locations` (its location is the last
  // of them; the fixes start where the previous group's end) with the valid
  // flag in the top bit, and the start of its G-sensor samples in `motions`.
  struct Group {
    static constexpr std::uint32_t kValidBit = 0x80000000u;
    std::uint32_t fixEndAndValid = 0;
    std::uint32_t motionBegin = 0;
    std::uint32_t fixEnd() const { return fixEndAndValid & ~kValidBit; }
    bool isValid() const { return (fixEndAndValid & kValidBit) != 0; }
  };
  // Samples of one group in a list that few groups use (drive support, vehicle interface).
  struct Range {
    std::uint32_t group = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
  };

  FixList locations;  // totalLocations
  // varidLocations as positions in `locations`; when they are one unbroken
  // run (the usual case) the list is empty and the run is kept instead.
  std::vector<std::uint32_t> validLocations;
  std::uint32_t validRunBegin = 0;
  std::uint32_t validRunCount = 0;
  std::vector<MotionData> motions;
  std::vector<DriveSupportData> driveSupports;
  std::vector<CarInfo> carInfos;
  std::vector<Group> groups;
  std::vector<Range> driveSupportRanges;  // sorted by group
  std::vector<Range> carInfoRanges;       // sorted by group
  // Where a group's G-sensor samples end when samples outside any group
  // follow it (only `end` is used); else they end where the next group's begin.
  std::vector<Range> motionEnds;  // sorted by group
  std::vector<std::pair<std::uint32_t, QString>> userIDs;  // sorted by group, only groups with one
  std::uint32_t firstFixBegin = 0;   // where the fixes of group 0 start
  std::uint32_t lastMotionEnd = 0;   // where the samples of the last group end
  // Holds exactly one group that nobody else sees yet (a changed GOPData copy).
  bool standalone = false;

  std::uint32_t fixBegin(std::uint32_t group) const { return group == 0 ? firstFixBegin : groups[group - 1].fixEnd(); }
  std::uint32_t motionEnd(std::uint32_t group) const {
    if (const Range* range = findRange(motionEnds, group)) {
      return range->end;
    }
    return group + 1 < groups.size() ? groups[group + 1].motionBegin : lastMotionEnd;
  }
  static const Range* findRange(const std::vector<Range>& ranges, std::uint32_t group);
  std::size_t validCount() const { return validLocations.empty() ? validRunCount : validLocations.size(); }
  // Turns a run of valid fixes back into positions (before appending to them).
  void expandValid();
  // Moves the content into a new store of exact size; this one keeps its
  // capacity for the next parse. Without `keepCapacity` the lists move as
  // they are (for a store about to be dropped: the copy would cost more).
  std::shared_ptr<TelemetryStore> takeExact(bool keepCapacity = true);
  // Empties every list, keeping capacity.
  void clear();
};

}  // namespace dashcard
