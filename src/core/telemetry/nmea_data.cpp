#include "core/telemetry/nmea_data.h"

#include "core/common/const_class.h"
#include "core/telemetry/nmea_text.h"
#include "core/telemetry/telemetry_store.h"

namespace dashcard {
namespace {

// Every unparsed object shares one empty store: a card holds thousands. The
// writers copy a store that anyone else holds, so it is never changed.
const std::shared_ptr<const TelemetryStore>& emptyStore() {
  static const std::shared_ptr<const TelemetryStore> store = std::make_shared<const TelemetryStore>();
  return store;
}

}  // namespace

NMEAData::NMEAData(const QString& filePath)
    : filePath_(filePath),
      lastValidSpeedLocation_(CustomLocation::placeholder()),
      lastValidHeadingLocation_(CustomLocation::placeholder()),
      store_(emptyStore()) {}

NMEAData::~NMEAData() = default;

QString NMEAData::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}
void NMEAData::setFilePath(const QString& filePath) {
  std::lock_guard lock(mutex_);
  filePath_ = filePath;
}
QString NMEAData::tripID() const {
  std::lock_guard lock(mutex_);
  return tripID_;
}
void NMEAData::setTripID(const QString& tripID) {
  std::lock_guard lock(mutex_);
  tripID_ = tripID;
}
QString NMEAData::version() const {
  std::lock_guard lock(mutex_);
  return version_;
}
void NMEAData::setVersion(const QString& version) {
  std::lock_guard lock(mutex_);
  version_ = version;
}
QString NMEAData::imeiNumber() const {
  std::lock_guard lock(mutex_);
  return imeiNumber_;
}
void NMEAData::setImeiNumber(const QString& imeiNumber) {
  std::lock_guard lock(mutex_);
  imeiNumber_ = imeiNumber;
}
QString NMEAData::userID() const {
  std::lock_guard lock(mutex_);
  return userID_;
}
void NMEAData::setUserID(const QString& userID) {
  std::lock_guard lock(mutex_);
  userID_ = userID;
}
bool NMEAData::isParsing() const {
  std::lock_guard lock(mutex_);
  return isParsing_;
}
void NMEAData::setIsParsing(bool parsing) {
  std::lock_guard lock(mutex_);
  isParsing_ = parsing;
}
double NMEAData::maxSpeed() const {
  std::lock_guard lock(mutex_);
  return maxSpeed_;
}
void NMEAData::setMaxSpeed(double speed) {
  std::lock_guard lock(mutex_);
  maxSpeed_ = speed;
}
double NMEAData::maxMotionABS() const {
  std::lock_guard lock(mutex_);
  return maxMotionABS_;
}
void NMEAData::setMaxMotionABS(double value) {
  std::lock_guard lock(mutex_);
  maxMotionABS_ = value;
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
bool NMEAData::existCarInfos() const {
  std::lock_guard lock(mutex_);
  return existCarInfos_;
}
void NMEAData::setExistCarInfos(bool exist) {
  std::lock_guard lock(mutex_);
  existCarInfos_ = exist;
}
double NMEAData::maxSpeedForCarInfo() const {
  std::lock_guard lock(mutex_);
  return maxSpeedForCarInfo_;
}
void NMEAData::setMaxSpeedForCarInfo(double speed) {
  std::lock_guard lock(mutex_);
  maxSpeedForCarInfo_ = speed;
}

std::shared_ptr<const TelemetryStore> NMEAData::store() const {
  std::lock_guard lock(mutex_);
  return store_;
}

GOPList NMEAData::GOPs() const { return GOPList(store()); }

TelemetryList<CustomLocation> NMEAData::varidLocations() const {
  auto store = this->store();
  if (store->validLocations.empty()) {
    const CustomLocation* items = store->locations.data() + store->validRunBegin;
    const std::size_t size = store->validRunCount;
    return TelemetryList<CustomLocation>(std::move(store), items, size);
  }
  const CustomLocation* items = store->locations.data();
  const std::uint32_t* index = store->validLocations.data();
  const std::size_t size = store->validLocations.size();
  return TelemetryList<CustomLocation>(std::move(store), items, size, index);
}

TelemetryList<CustomLocation> NMEAData::totalLocations() const {
  auto store = this->store();
  const CustomLocation* items = store->locations.data();
  const std::size_t size = store->locations.size();
  return TelemetryList<CustomLocation>(std::move(store), items, size);
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

bool NMEAData::parseQVVER(const QStringList& fields) {
  if (fields.size() != 2) {
    return false;
  }
  setVersion(fields.at(1));
  return true;
}

bool NMEAData::parseQVSN(const QStringList& fields) {
  if (fields.size() != 2) {
    return false;
  }
  setImeiNumber(fields.at(1));
  return true;
}

bool NMEAData::parseQVUSER(const QStringList& fields, GOPData& group) {
  if (fields.size() != 2) {
    return false;
  }
  group.setUserID(fields.at(1));
  return true;
}

bool NMEAData::parseDINFO(const QStringList& fields) {
  if (fields.size() != 3) {
    return false;
  }
  // The date is checked and dropped: the model has no place for it.
  convertToDateWithDateString(fields.at(1) + QLatin1Char(' ') + fields.at(2), QStringLiteral("yyyyMMdd HHmmss"));
  return true;
}

bool NMEAData::parseEINFO(const QStringList& fields) { return fields.size() == 4; }

bool NMEAData::parseCARINFO(const QStringList& fields, GOPData& group) {
  CarInfo info;
  bool exist = false;
  bool speedRead = false;
  if (fields.size() == 6) {
    const auto integer = [](const QString& text, int* value) {
      const QByteArray utf8 = text.toUtf8();
      return nmea::readInteger(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), value);
    };
    int value = 0;
    if (integer(fields.at(1), &value)) {
      info.speed = value;
      speedRead = true;
    }
    bool* flags[] = {&info.isBrakeOn, &info.isBackOn, &info.isLetfWinkerOn, &info.isRightWinkerOn};
    for (int i = 0; i < 4; ++i) {
      if (integer(fields.at(2 + i), &value)) {
        *flags[i] = value == 1;
        exist = true;
      }
    }
  }
  group.appendCarInfo(info);
  std::lock_guard lock(mutex_);
  auto store = store_.use_count() == 1 ? std::const_pointer_cast<TelemetryStore>(store_)
                                       : std::make_shared<TelemetryStore>(*store_);
  store->carInfos.push_back(info);
  store_ = std::move(store);
  if (speedRead && info.speed > maxSpeedForCarInfo_) {
    maxSpeedForCarInfo_ = info.speed;
  }
  existCarInfos_ = existCarInfos_ || exist;
  return false;
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
