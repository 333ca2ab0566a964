#pragma once

#include "core/telemetry/car_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/gop_data.h"
#include "core/telemetry/motion_data.h"
#include "core/telemetry/telemetry_list.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>

namespace dashcard {

struct TelemetryStore;

// The telemetry of one recording: the groups, fixes and samples of its
// telemetry file, the trip header values and the running maxima.
//
// Thread safety: `setup` runs on a background thread while views read. The
// parse builds its result privately and publishes it in one step under the
// object's mutex when it ends; every accessor reads under that mutex and the
// lists it returns are immutable snapshots, so a reader never sees a
// half-built list. `isParsing` is true while a parse runs; readers that want
// the finished result check it first.
class NMEAData {
 public:
  explicit NMEAData(const QString& filePath);
  ~NMEAData();
  NMEAData(const NMEAData&) = delete;
  NMEAData& operator=(const NMEAData&) = delete;

  QString filePath() const;
  void setFilePath(const QString& filePath);
  QString tripID() const;
  void setTripID(const QString& tripID);
  QString version() const;
  void setVersion(const QString& version);
  // Groups holding a position sentence, in file order.
  GOPList GOPs() const;
  // Fixes of status "A" (the spelling is the model's), and all fixes.
  TelemetryList<CustomLocation> varidLocations() const;
  TelemetryList<CustomLocation> totalLocations() const;
  TelemetryList<MotionData> motions() const;
  TelemetryList<DriveSupportData> driveSupports() const;
  bool isParsing() const;
  void setIsParsing(bool parsing);
  // Largest speed of any valid fix, m/s.
  double maxSpeed() const;
  void setMaxSpeed(double speed);
  // Largest absolute value of any axis of any G-sensor sample.
  double maxMotionABS() const;
  void setMaxMotionABS(double value);
  // Carried over from the previous clip by callers before `setup`.
  CustomLocation lastValidSpeedLocation() const;
  void setLastValidSpeedLocation(const CustomLocation& location);
  CustomLocation lastValidHeadingLocation() const;
  void setLastValidHeadingLocation(const CustomLocation& location);
  QString imeiNumber() const;
  void setImeiNumber(const QString& imeiNumber);
  QString userID() const;
  void setUserID(const QString& userID);
  TelemetryList<CarInfo> carInfos() const;
  bool existCarInfos() const;
  void setExistCarInfos(bool exist);
  double maxSpeedForCarInfo() const;
  void setMaxSpeedForCarInfo(double speed);

  // Reads the file at `filePath` into the object. Does nothing while a parse
  // runs or once a trip header or version was read. Never fails: unreadable
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
  // Runs the line parser over the lines of one group's text with a new group;
  // returns that group when the text held a position sentence. Adds to the
  // object's lists without emptying them.
  std::optional<GOPData> parseNMEALinesWithLines(const QString& text);

  // Per-sentence operations; `fields` are the trimmed fields, tag included.
  bool parseQVVER(const QStringList& fields);
  bool parseQVSN(const QStringList& fields);
  bool parseQVIMEI(const QStringList& fields) { return parseQVSN(fields); }
  static bool parseQVUSER(const QStringList& fields, GOPData& group);
  static bool parseDINFO(const QStringList& fields);
  static bool parseEINFO(const QStringList& fields);
  bool parseCARINFO(const QStringList& fields, GOPData& group);
  // 0.0 for the sensor's "no reading" marker "999.999" and for text that is not a number.
  static double convertToGsensValue(QStringView text);
  static bool isAvailableGPRMC(qsizetype fieldCount);
  // The date `dateString` written in `dateFormatString` (yyyy, yy, MM, dd,
  // HH, mm, ss, S.. for a fraction of up to 3 digits, other characters
  // literal), UTC; the epoch when it does not match. Never invalid.
  static QDateTime convertToDateWithDateString(const QString& dateString, const QString& dateFormatString);

 private:
  friend class NMEAParser;

  std::shared_ptr<const TelemetryStore> store() const;
  static Preparse parseFile(const QString& path, const CustomLocation& speedSeed, const CustomLocation& headingSeed,
                            const std::shared_ptr<const TelemetryStore>& previous);
  // Under the object's mutex.
  void publish(const Preparse& result);

  mutable std::mutex mutex_;
  QString filePath_;
  QString tripID_;
  QString version_;
  QString imeiNumber_;
  QString userID_;
  bool isParsing_ = false;
  bool existCarInfos_ = false;
  double maxSpeed_ = 0.0;
  double maxMotionABS_ = 0.0;
  double maxSpeedForCarInfo_ = 0.0;
  CustomLocation lastValidSpeedLocation_;
  CustomLocation lastValidHeadingLocation_;
  std::shared_ptr<const TelemetryStore> store_;
};

}  // namespace dashcard
