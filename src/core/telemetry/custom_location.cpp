#include "core/telemetry/custom_location.h"

#include <QLocale>

#include <atomic>

namespace dashcard {
namespace {
// Read from the export threads as well: one atomic, set by the preferences.
std::atomic<CustomLocation::SpeedUnit> chosenSpeedUnit{CustomLocation::SpeedUnit::System};
}  // namespace

CustomLocation::CustomLocation(double latitude, double longitude)
    : latitude(latitude), longitude(longitude), timestamp(QDateTime::currentDateTimeUtc()) {}

CustomLocation::CustomLocation(double latitude, double longitude, double altitude, double horizontalAccuracy,
                               double verticalAccuracy, const QDateTime& timestamp)
    : latitude(latitude),
      longitude(longitude),
      timestamp(timestamp),
      altitude(static_cast<float>(altitude)),
      horizontalAccuracy(static_cast<float>(horizontalAccuracy)),
      verticalAccuracy(static_cast<float>(verticalAccuracy)) {}

CustomLocation::CustomLocation(double latitude, double longitude, double altitude, double horizontalAccuracy,
                               double verticalAccuracy, double course, double speed, const QDateTime& timestamp)
    : latitude(latitude),
      longitude(longitude),
      course(course),
      speed(speed),
      timestamp(timestamp),
      altitude(static_cast<float>(altitude)),
      horizontalAccuracy(static_cast<float>(horizontalAccuracy)),
      verticalAccuracy(static_cast<float>(verticalAccuracy)) {}

CustomLocation::CustomLocation(double latitude, double longitude, double altitude, double horizontalAccuracy,
                               double verticalAccuracy, double course, double /*courseAccuracy*/, double speed,
                               double /*speedAccuracy*/, const QDateTime& timestamp)
    : CustomLocation(latitude, longitude, altitude, horizontalAccuracy, verticalAccuracy, course, speed, timestamp) {}

CustomLocation CustomLocation::placeholder() {
  return CustomLocation(-999.0, -999.0, 0.0, 10.0, 10.0, -1.0, -1.0, epoch());
}

QDateTime CustomLocation::epoch() { return QDateTime::fromMSecsSinceEpoch(0, Qt::UTC); }

float CustomLocation::speedAtKirometerPerHour(double metresPerSecond) {
  return static_cast<float>(metresPerSecond) * 60.0f * 60.0f / 1000.0f;
}

float CustomLocation::speedAtMilePerHour(double metresPerSecond) {
  return speedAtKirometerPerHour(metresPerSecond) / 1.60934f;
}

void CustomLocation::setSpeedUnit(SpeedUnit unit) { chosenSpeedUnit.store(unit); }

CustomLocation::SpeedUnit CustomLocation::speedUnit() { return chosenSpeedUnit.load(); }

bool CustomLocation::shouldUseMilePerHour() {
  if (const SpeedUnit unit = chosenSpeedUnit.load(); unit != SpeedUnit::System) {
    return unit == SpeedUnit::MilesPerHour;
  }
  // Distances of 10 km are given in miles exactly where the locale is not metric.
  return QLocale().measurementSystem() != QLocale::MetricSystem;
}

float CustomLocation::speedForCurrentLocale(double metresPerSecond) {
  return shouldUseMilePerHour() ? speedAtMilePerHour(metresPerSecond) : speedAtKirometerPerHour(metresPerSecond);
}

QString CustomLocation::unitForCurrentLocale() {
  return shouldUseMilePerHour() ? QStringLiteral("mph") : QStringLiteral("km/h");
}

}  // namespace dashcard
