#include "core/catalogue/trip_preferences.h"

#include <QSettings>

#include <cmath>

namespace dashcard {
namespace {

constexpr auto kGapKey = "trips/gapMinutes";
constexpr auto kBrakingKey = "trips/brakingG";
constexpr auto kAccelerationKey = "trips/accelerationG";
constexpr auto kCorneringKey = "trips/corneringG";
constexpr auto kMinimumKey = "trips/minimumEventSeconds";
constexpr auto kClockKey = "trips/clockOffsetThresholdMinutes";

double valueIn(const QSettings& settings, const char* key, double fallback, double low, double high) {
  bool ok = false;
  const double value = settings.value(QLatin1String(key), fallback).toDouble(&ok);
  return ok && std::isfinite(value) && value >= low && value <= high ? value : fallback;
}

}  // namespace

TripPreferences TripPreferences::load() {
  const QSettings settings;
  TripPreferences p;
  p.gapMinutes = static_cast<int>(valueIn(settings, kGapKey, p.gapMinutes, 0, 24 * 60));
  p.thresholds.brakingG = valueIn(settings, kBrakingKey, p.thresholds.brakingG, 0.05, 2.0);
  p.thresholds.accelerationG = valueIn(settings, kAccelerationKey, p.thresholds.accelerationG, 0.05, 2.0);
  p.thresholds.corneringG = valueIn(settings, kCorneringKey, p.thresholds.corneringG, 0.05, 2.0);
  p.thresholds.minimumSeconds = valueIn(settings, kMinimumKey, p.thresholds.minimumSeconds, 0.0, 10.0);
  p.clockOffsetThresholdMinutes = valueIn(settings, kClockKey, p.clockOffsetThresholdMinutes, 0.0, 24 * 60);
  return p;
}

void TripPreferences::save() const {
  QSettings settings;
  settings.setValue(QLatin1String(kGapKey), gapMinutes);
  settings.setValue(QLatin1String(kBrakingKey), thresholds.brakingG);
  settings.setValue(QLatin1String(kAccelerationKey), thresholds.accelerationG);
  settings.setValue(QLatin1String(kCorneringKey), thresholds.corneringG);
  settings.setValue(QLatin1String(kMinimumKey), thresholds.minimumSeconds);
  settings.setValue(QLatin1String(kClockKey), clockOffsetThresholdMinutes);
}

bool TripPreferences::clockOffsetIsLarge(double offsetSeconds) const {
  return std::abs(offsetSeconds) > clockOffsetThresholdMinutes * 60.0;
}

}  // namespace dashcard
