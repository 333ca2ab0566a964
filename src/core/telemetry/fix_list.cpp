#include "core/telemetry/fix_list.h"

#include <bit>

namespace dashcard {
namespace {

// Bit for bit, so that -0.0 and NaN come back as they went in.
bool same(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }
bool same(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

constexpr double kUnknown = -1.0;

static_assert(sizeof(PackedFix) == 48, "a packed fix is two thirds of a record");

}  // namespace

void FixList::push_back(const CustomLocation& location) {
  if (fixes_.empty()) {
    horizontalAccuracy_ = location.horizontalAccuracy;
    verticalAccuracy_ = location.verticalAccuracy;
  }
  PackedFix fix{location.latitude, location.longitude, location.speed, location.course, 0, location.altitude, 0};
  bool packs = same(location.horizontalAccuracy, horizontalAccuracy_) &&
               same(location.verticalAccuracy, verticalAccuracy_) && location.timestamp.isValid() &&
               location.timestamp.timeSpec() == Qt::UTC;
  if (same(location.speed, kUnknown)) {
    fix.speed = location.correctedSpeed;
    fix.flags |= PackedFix::kCorrectedSpeed;
  } else {
    packs = packs && same(location.correctedSpeed, 0.0);
  }
  if (same(location.course, kUnknown)) {
    fix.course = location.correctedDirection;
    fix.flags |= PackedFix::kCorrectedCourse;
  } else {
    packs = packs && same(location.correctedDirection, 0.0);
  }
  if (packs) {
    fix.msecs = location.timestamp.toMSecsSinceEpoch();
  } else {
    fix = PackedFix{};
    fix.flags = PackedFix::kWhole;
    fix.msecs = static_cast<std::int64_t>(whole_.size());
    whole_.push_back(location);
  }
  fixes_.push_back(fix);
}

CustomLocation FixList::unpack(const PackedFix& fix) const {
  if ((fix.flags & PackedFix::kWhole) != 0) {
    return whole_[static_cast<std::size_t>(fix.msecs)];
  }
  const bool correctedSpeed = (fix.flags & PackedFix::kCorrectedSpeed) != 0;
  const bool correctedCourse = (fix.flags & PackedFix::kCorrectedCourse) != 0;
  CustomLocation location(fix.latitude, fix.longitude, fix.altitude, horizontalAccuracy_, verticalAccuracy_,
                          correctedCourse ? kUnknown : fix.course, correctedSpeed ? kUnknown : fix.speed,
                          QDateTime::fromMSecsSinceEpoch(fix.msecs, Qt::UTC));
  if (correctedSpeed) {
    location.correctedSpeed = fix.speed;
  }
  if (correctedCourse) {
    location.correctedDirection = fix.course;
  }
  return location;
}

std::size_t FixList::capacityBytes() const {
  return fixes_.capacity() * sizeof(PackedFix) + whole_.capacity() * sizeof(CustomLocation);
}

void FixList::clear() {
  fixes_.clear();
  whole_.clear();
}

FixList FixList::takeExact(bool keepCapacity) {
  FixList to;
  to.horizontalAccuracy_ = horizontalAccuracy_;
  to.verticalAccuracy_ = verticalAccuracy_;
  if (keepCapacity) {
    to.fixes_.assign(fixes_.begin(), fixes_.end());
    to.whole_.assign(whole_.begin(), whole_.end());
  } else {
    to.fixes_ = std::move(fixes_);
    to.whole_ = std::move(whole_);
  }
  clear();
  return to;
}

}  // namespace dashcard
