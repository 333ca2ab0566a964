#include "core/telemetry/gop_data.h"

#include "core/telemetry/telemetry_store.h"

#include <algorithm>

namespace dashcard {
namespace {

std::shared_ptr<TelemetryStore> standaloneStore() {
  auto store = std::make_shared<TelemetryStore>();
  store->groups.push_back({});
  store->standalone = true;
  return store;
}

template <typename T>
void appendRangeItem(std::vector<T>& items, std::vector<TelemetryStore::Range>& ranges, const T& item) {
  // A standalone store holds group 0 only, so its items are one range.
  if (ranges.empty()) {
    ranges.push_back({0, static_cast<std::uint32_t>(items.size()), static_cast<std::uint32_t>(items.size())});
  }
  items.push_back(item);
  ranges.front().end = static_cast<std::uint32_t>(items.size());
}

}  // namespace

GOPData::GOPData() : store_(standaloneStore()) {}

GOPData::GOPData(std::shared_ptr<const TelemetryStore> store, std::uint32_t index)
    : store_(std::move(store)), index_(index) {}

CustomLocation GOPData::location() const {
  const std::uint32_t begin = store_->fixBegin(index_);
  const std::uint32_t end = store_->groups[index_].fixEnd();
  return end > begin ? store_->locations[end - 1] : CustomLocation::placeholder();
}

TelemetryList<MotionData> GOPData::motions() const {
  const std::uint32_t begin = store_->groups[index_].motionBegin;
  const std::uint32_t end = store_->motionEnd(index_);
  return TelemetryList<MotionData>(store_, store_->motions.data() + begin, end - begin);
}

TelemetryList<DriveSupportData> GOPData::driveSupportInfos() const {
  const TelemetryStore::Range* range = TelemetryStore::findRange(store_->driveSupportRanges, index_);
  if (range == nullptr) {
    return {};
  }
  return TelemetryList<DriveSupportData>(store_, store_->driveSupports.data() + range->begin, range->end - range->begin);
}

TelemetryList<CarInfo> GOPData::carInfos() const {
  const TelemetryStore::Range* range = TelemetryStore::findRange(store_->carInfoRanges, index_);
  if (range == nullptr) {
    return {};
  }
  return TelemetryList<CarInfo>(store_, store_->carInfos.data() + range->begin, range->end - range->begin);
}

QString GOPData::userID() const {
  const auto& ids = store_->userIDs;
  const auto it = std::lower_bound(ids.begin(), ids.end(), index_,
                                   [](const auto& entry, std::uint32_t group) { return entry.first < group; });
  return it != ids.end() && it->first == index_ ? it->second : QString();
}

bool GOPData::isValid() const { return store_->groups[index_].isValid(); }

TelemetryStore& GOPData::detach() {
  if (store_->standalone && store_.use_count() == 1) {
    return const_cast<TelemetryStore&>(*store_);
  }
  // Copy this group's data out of the shared parse result.
  auto own = standaloneStore();
  const TelemetryStore& from = *store_;
  const std::uint32_t fixBegin = from.fixBegin(index_);
  const std::uint32_t fixEnd = from.groups[index_].fixEnd();
  if (fixEnd > fixBegin) {
    own->locations.push_back(from.locations[fixEnd - 1]);
  }
  own->groups[0].fixEndAndValid = static_cast<std::uint32_t>(own->locations.size()) |
                                  (from.groups[index_].isValid() ? TelemetryStore::Group::kValidBit : 0u);
  const auto motions = this->motions();
  own->motions.assign(motions.begin(), motions.end());
  own->lastMotionEnd = static_cast<std::uint32_t>(own->motions.size());
  for (const DriveSupportData& record : driveSupportInfos()) {
    appendRangeItem(own->driveSupports, own->driveSupportRanges, record);
  }
  for (const CarInfo& info : carInfos()) {
    appendRangeItem(own->carInfos, own->carInfoRanges, info);
  }
  const QString id = userID();
  if (!id.isEmpty()) {
    own->userIDs.emplace_back(0, id);
  }
  store_ = own;
  index_ = 0;
  return *own;
}

void GOPData::setLocation(const CustomLocation& location) {
  TelemetryStore& store = detach();
  store.locations.clear();
  store.locations.push_back(location);
  store.groups[0].fixEndAndValid = 1u | (store.groups[0].fixEndAndValid & TelemetryStore::Group::kValidBit);
}

void GOPData::setUserID(const QString& userID) {
  TelemetryStore& store = detach();
  store.userIDs.clear();
  if (!userID.isEmpty()) {
    store.userIDs.emplace_back(0, userID);
  }
}

void GOPData::setIsValid(bool valid) {
  TelemetryStore& store = detach();
  auto& group = store.groups[0];
  group.fixEndAndValid = group.fixEnd() | (valid ? TelemetryStore::Group::kValidBit : 0u);
}

void GOPData::appendMotion(const MotionData& motion) {
  TelemetryStore& store = detach();
  store.motions.push_back(motion);
  store.lastMotionEnd = static_cast<std::uint32_t>(store.motions.size());
}

void GOPData::appendDriveSupportInfo(const DriveSupportData& record) {
  TelemetryStore& store = detach();
  appendRangeItem(store.driveSupports, store.driveSupportRanges, record);
}

void GOPData::appendCarInfo(const CarInfo& info) {
  TelemetryStore& store = detach();
  appendRangeItem(store.carInfos, store.carInfoRanges, info);
}

GOPList::GOPList(std::shared_ptr<const TelemetryStore> store)
    : store_(std::move(store)), size_(store_ != nullptr ? store_->groups.size() : 0) {}

}  // namespace dashcard
