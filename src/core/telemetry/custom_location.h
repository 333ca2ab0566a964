#pragma once

#include <QDateTime>
#include <QString>

namespace dashcard {

// One position of a track: a receiver fix (degrees, metres, m/s, course in
// degrees, UTC time) plus the two values the parser
// carries over from earlier fixes. A plain record: copy it freely.
//
// Sentinels shared by every reader: coordinate -999.0 means no fix, speed or
// course -1.0 means unknown (then correctedSpeed / correctedDirection apply),
// a timestamp at the epoch (1970-01-01 00:00:00 UTC) means no time.
struct CustomLocation {
  double latitude = 0.0;
  double longitude = 0.0;
  double course = -1.0;
  double speed = -1.0;
  // Speed of the last fix with a known speed, for a fix without one (m/s).
  double correctedSpeed = 0.0;
  // Course of the last fix with a known course, for a fix without one.
  double correctedDirection = 0.0;
  QDateTime timestamp = epoch();
  // Metres; single precision is plenty and keeps a track small.
  float altitude = 0.0f;
  float horizontalAccuracy = 0.0f;
  float verticalAccuracy = -1.0f;

  // Latitude and longitude 0, unknown course and speed, epoch timestamp.
  CustomLocation() = default;
  // Timestamp now, accuracies 0 / -1, unknown course and speed (as the base record does).
  CustomLocation(double latitude, double longitude);
  CustomLocation(double latitude, double longitude, double altitude, double horizontalAccuracy,
                 double verticalAccuracy, const QDateTime& timestamp);
  CustomLocation(double latitude, double longitude, double altitude, double horizontalAccuracy,
                 double verticalAccuracy, double course, double speed, const QDateTime& timestamp);
  // The course and speed accuracies are accepted and not kept.
  CustomLocation(double latitude, double longitude, double altitude, double horizontalAccuracy,
                 double verticalAccuracy, double course, double courseAccuracy, double speed,
                 double speedAccuracy, const QDateTime& timestamp);

  // The stand-in for a missing fix: -999.0 / -999.0, altitude 0, accuracies
  // 10.0, course and speed -1.0, epoch timestamp.
  static CustomLocation placeholder();
  // 1970-01-01 00:00:00 UTC.
  static QDateTime epoch();

  bool hasCoordinate() const { return latitude != -999.0 && longitude != -999.0; }
  // The speed to show: own speed when known, else correctedSpeed.
  double displaySpeed() const { return speed != -1.0 ? speed : correctedSpeed; }
  // The heading to show: own course when known, else correctedDirection.
  double displayCourse() const { return course != -1.0 ? course : correctedDirection; }

  // Speed helpers. The argument is m/s; results are single precision. They
  // do not look at the -1 sentinel: callers test for it first.
  static float speedAtKirometerPerHour(double metresPerSecond);
  static float speedAtMilePerHour(double metresPerSecond);
  // The unit the user chose; System follows the locale.
  enum class SpeedUnit { System, KilometresPerHour, MilesPerHour };
  static void setSpeedUnit(SpeedUnit unit);
  static SpeedUnit speedUnit();
  // True when mph is chosen, or with System when the locale is not metric.
  static bool shouldUseMilePerHour();
  static float speedForCurrentLocale(double metresPerSecond);
  // "mph" or "km/h".
  static QString unitForCurrentLocale();
  float speedAtKirometerPerHour() const { return speedAtKirometerPerHour(speed); }
  float speedAtMilePerHour() const { return speedAtMilePerHour(speed); }
  float speedForCurrentLocale() const { return speedForCurrentLocale(speed); }

  bool operator==(const CustomLocation& other) const = default;
};

}  // namespace dashcard
