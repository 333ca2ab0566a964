#pragma once

#include "core/telemetry/custom_location.h"
#include "core/telemetry/telemetry_list.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace dashcard {

// A fix as a parse result keeps it: 48 bytes instead of a record's 72. A
// receiver's fix carries a corrected speed (course) only where its own is
// unknown, a UTC time, and the accuracies every fix of the file has; the two
// pairs share one slot each and the accuracies are kept once per list.
struct PackedFix {
  static constexpr std::uint32_t kCorrectedSpeed = 1;   // `speed` holds correctedSpeed
  static constexpr std::uint32_t kCorrectedCourse = 2;  // `course` holds correctedDirection
  static constexpr std::uint32_t kWhole = 4;            // the record is kept whole: `msecs` is its position

  double latitude = 0.0;
  double longitude = 0.0;
  double speed = 0.0;
  double course = 0.0;
  std::int64_t msecs = 0;
  float altitude = 0.0f;
  std::uint32_t flags = 0;
};

class FixList;

// Unpacks the fixes of a list handed out by a FixList.
struct PackedFixAccess {
  using Stored = PackedFix;
  using Context = FixList;
  using Reference = CustomLocation;
  static CustomLocation read(const PackedFix& fix, const FixList* list);
};

// Locations read from a parse result: values, unpacked on access.
using LocationList = TelemetryList<CustomLocation, PackedFixAccess>;

// The fixes of a parse result, packed. Any record is taken back exactly as
// it was given; one that does not pack is kept whole beside the others.
class FixList {
 public:
  void push_back(const CustomLocation& location);
  CustomLocation operator[](std::size_t i) const { return unpack(fixes_[i]); }
  std::size_t size() const { return fixes_.size(); }
  bool empty() const { return fixes_.empty(); }
  // Bytes of heap the list holds (for the scratch limit of the parser).
  std::size_t capacityBytes() const;
  void clear();
  // The content at exact size; this list keeps its capacity for the next
  // parse. Without `keepCapacity` the storage moves as it is.
  FixList takeExact(bool keepCapacity);

  // `count` fixes from `begin`, or those at `index` (positions in this list);
  // `owner` keeps this list alive.
  LocationList list(std::shared_ptr<const void> owner, std::size_t begin, std::size_t count,
                    const std::uint32_t* index = nullptr) const {
    return LocationList(std::move(owner), fixes_.data() + begin, count, index, this);
  }
  CustomLocation unpack(const PackedFix& fix) const;

 private:
  std::vector<PackedFix> fixes_;
  std::vector<CustomLocation> whole_;
  float horizontalAccuracy_ = 0.0f;
  float verticalAccuracy_ = -1.0f;
};

inline CustomLocation PackedFixAccess::read(const PackedFix& fix, const FixList* list) { return list->unpack(fix); }

}  // namespace dashcard
