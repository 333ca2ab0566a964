#include "core/telemetry/nmea_data.h"

#include "core/common/const_class.h"
#include "core/telemetry/nmea_text.h"
#include "core/telemetry/telemetry_store.h"

namespace dashcard {
namespace {

// Every unparsed object shares one empty snapshot: a card holds thousands.
const std::shared_ptr<const NMEAData::Snapshot>& emptySnapshot() {
  static const std::shared_ptr<const NMEAData::Snapshot> empty = [] {
    auto made = std::make_shared<NMEAData::Snapshot>();
    made->store = std::make_shared<const TelemetryStore>();
    return made;
  }();
  return empty;
}

}  // namespace

NMEAData::NMEAData(const QString& filePath)
    : filePath_(filePath),
      lastValidSpeedLocation_(CustomLocation::placeholder()),
      lastValidHeadingLocation_(CustomLocation::placeholder()),
      snapshot_(emptySnapshot()) {}

NMEAData::~NMEAData() = default;

std::shared_ptr<const NMEAData::Snapshot> NMEAData::snapshot() const {
  std::lock_guard lock(mutex_);
  return snapshot_;
}
QString NMEAData::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}
void NMEAData::setFilePath(const QString& filePath) {
  std::lock_guard lock(mutex_);
  filePath_ = filePath;
}
bool NMEAData::isParsing() const {
  std::lock_guard lock(mutex_);
  return isParsing_;
}
CustomLocation NMEAData::lastValidSpeedLocation() const {
  std::lock_guard lock(mutex_);
  return lastValidSpeedLocation_;
}
void NMEAData::setLastValidSpeedLocation(const CustomLocation& location) {
  std::lock_guard lock(mutex_);
  lastValidSpeedLocation_ = location;
}
CustomLocation NMEAData::lastValidHeadingLocation() const {
  std::lock_guard lock(mutex_);
  return lastValidHeadingLocation_;
}
void NMEAData::setLastValidHeadingLocation(const CustomLocation& location) {
  std::lock_guard lock(mutex_);
  lastValidHeadingLocation_ = location;
}
QString NMEAData::tripID() const { return snapshot()->tripID; }
QString NMEAData::version() const { return snapshot()->version; }
QString NMEAData::imeiNumber() const { return snapshot()->imeiNumber; }
QString NMEAData::userID() const { return snapshot()->userID; }
double NMEAData::maxSpeed() const { return snapshot()->maxSpeed; }
double NMEAData::maxMotionABS() const { return snapshot()->maxMotionABS; }
bool NMEAData::existCarInfos() const { return snapshot()->existCarInfos; }
double NMEAData::maxSpeedForCarInfo() const { return snapshot()->maxSpeedForCarInfo; }

GOPList NMEAData::GOPs() const { return GOPList(store()); }

LocationList NMEAData::varidLocations() const {
  auto store = this->store();
  const FixList& fixes = store->locations;
  if (store->validLocations.empty()) {
    return fixes.list(store, store->validRunBegin, store->validRunCount);
  }
  return fixes.list(store, 0, store->validLocations.size(), store->validLocations.data());
}

LocationList NMEAData::totalLocations() const {
  auto store = this->store();
  const FixList& fixes = store->locations;
  return fixes.list(store, 0, fixes.size());
}

TelemetryList<MotionData> NMEAData::motions() const {
  auto store = this->store();
  const MotionData* items = store->motions.data();
  const std::size_t size = store->motions.size();
  return TelemetryList<MotionData>(std::move(store), items, size);
}

TelemetryList<DriveSupportData> NMEAData::driveSupports() const {
  auto store = this->store();
  const DriveSupportData* items = store->driveSupports.data();
  const std::size_t size = store->driveSupports.size();
  return TelemetryList<DriveSupportData>(std::move(store), items, size);
}

TelemetryList<CarInfo> NMEAData::carInfos() const {
  auto store = this->store();
  const CarInfo* items = store->carInfos.data();
  const std::size_t size = store->carInfos.size();
  return TelemetryList<CarInfo>(std::move(store), items, size);
}

double NMEAData::convertToGsensValue(QStringView text) {
  const QByteArray utf8 = text.toUtf8();
  const std::string_view field(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  double value = 0.0;
  if (field == "999.999" || !nmea::readNumber(field, &value)) {
    return 0.0;
  }
  return value;
}

bool NMEAData::isAvailableGPRMC(qsizetype fieldCount) { return fieldCount == ConstClass::GPRMC_COUNT_OTHRES; }

}  // namespace dashcard
