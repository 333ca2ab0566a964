#pragma once

#include "core/telemetry/car_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/fix_list.h"
#include "core/telemetry/gop_data.h"
#include "core/telemetry/motion_data.h"
#include "core/telemetry/telemetry_list.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace dashcard {

struct TelemetryStore;

// The telemetry of one recording: the groups, fixes and samples of its
// telemetry file, the trip header values and the running maxima.
//
// Thread safety: `setup` runs on a background thread while views read. The
// parse builds its result privately and publishes it as one immutable
// `Snapshot` when it ends; every accessor reads from the snapshot in place,
// and a reader that needs several values at once takes `snapshot()` itself,
// so it never mixes two parses. `isParsing` is true while a parse runs;
// readers that want the finished result check it first.
class NMEAData {
 public:
  explicit NMEAData(const QString& filePath);
  ~NMEAData();
  NMEAData(const NMEAData&) = delete;
  NMEAData& operator=(const NMEAData&) = delete;

  // What one parse found, published whole.
  struct Snapshot {
    std::shared_ptr<const TelemetryStore> store;
    QString tripID;
    QString version;
    QString imeiNumber;
    QString userID;
    double maxSpeed = 0.0;
    double maxMotionABS = 0.0;
    double maxSpeedForCarInfo = 0.0;
    bool existCarInfos = false;
  };
  std::shared_ptr<const Snapshot> snapshot() const;

  QString filePath() const;
  void setFilePath(const QString& filePath);
  QString tripID() const;
  QString version() const;
  // Groups holding a position sentence, in file order.
  GOPList GOPs() const;
  // Fixes of status "A" (valid), and all fixes.
  LocationList varidLocations() const;
  LocationList totalLocations() const;
  TelemetryList<MotionData> motions() const;
  TelemetryList<DriveSupportData> driveSupports() const;
  bool isParsing() const;
  // Largest speed of any valid fix, m/s.
  double maxSpeed() const;
  // Largest absolute value of any axis of any G-sensor sample.
  double maxMotionABS() const;
  // Carried over from the previous clip by callers before `setup`.
  CustomLocation lastValidSpeedLocation() const;
  void setLastValidSpeedLocation(const CustomLocation& location);
  CustomLocation lastValidHeadingLocation() const;
  void setLastValidHeadingLocation(const CustomLocation& location);
  QString imeiNumber() const;
  QString userID() const;
  TelemetryList<CarInfo> carInfos() const;
  bool existCarInfos() const;
  double maxSpeedForCarInfo() const;

  // Reads the file at `filePath` into the object. Waits for a parse under
  // way on another thread and then uses its result; does nothing once a trip
  // header or version was read. Never fails: unreadable
  // files and malformed lines yield sentinels or nothing.
  void setup();

  // A parse made ahead of `setup`, without carry-over and without
  // publishing anything, so that many files can be read at once on any
  // threads and published in order afterwards. Null when `setup` would do
  // nothing.
  struct Preparse;
  std::shared_ptr<const Preparse> preparse() const;
  // `setup` that publishes `preparsed` instead of reading the file again
  // when the carry-over now in place cannot have changed its result (and
  // the object did not change since); else it parses as `setup` does.
  void setup(const std::shared_ptr<const Preparse>& preparsed);
  // 0.0 for the sensor's "no reading" marker "999.999" and for text that is not a number.
  static double convertToGsensValue(QStringView text);
  static bool isAvailableGPRMC(qsizetype fieldCount);
  // The date `dateString` written in `dateFormatString` (yyyy, yy, MM, dd,
  // HH, mm, ss, S.. for a fraction of up to 3 digits, other characters
  // literal), UTC; the epoch when it does not match. Never invalid.
  static QDateTime convertToDateWithDateString(const QString& dateString, const QString& dateFormatString);

 private:
  friend class NMEAParser;

  std::shared_ptr<const TelemetryStore> store() const { return snapshot()->store; }
  static Preparse parseFile(const QString& path, const CustomLocation& speedSeed, const CustomLocation& headingSeed,
                            const std::shared_ptr<const TelemetryStore>& previous);
  // Under the object's mutex.
  void publish(const Preparse& result);

  mutable std::mutex mutex_;
  // Signalled when a parse ends.
  std::condition_variable parsed_;
  QString filePath_;
  bool isParsing_ = false;
  // The carry-over: set by callers before a parse, left by the parse for the next clip.
  CustomLocation lastValidSpeedLocation_;
  CustomLocation lastValidHeadingLocation_;
  std::shared_ptr<const Snapshot> snapshot_;
};

}  // namespace dashcard
