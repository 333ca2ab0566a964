#pragma once

#include "core/telemetry/driving_event.h"

namespace dashcard {

// The user's choices for trips, driving events and the clock check, kept in
// the application's settings (Preferences…); the window's trips and events
// follow them.
struct TripPreferences {
  // A pause longer than this starts a new trip.
  int gapMinutes = 5;
  DrivingEventThresholds thresholds;
  // A camera clock further than this from GPS time is worth a word.
  double clockOffsetThresholdMinutes = 2.0;

  // Out-of-range values read as the defaults.
  static TripPreferences load();
  void save() const;
  // Whether an offset (seconds) is beyond the threshold.
  bool clockOffsetIsLarge(double offsetSeconds) const;
};

}  // namespace dashcard
