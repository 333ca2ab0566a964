#pragma once

#include "core/catalogue/trip.h"
#include "core/catalogue/trip_overrides.h"
#include "core/telemetry/driving_event.h"
#include "core/telemetry/nmea_data.h"

#include <QTimeZone>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace dashcard {

class PlaceNames;

// Groups a card's recordings into trips and finds their driving events and
// the camera clock's offset from GPS time.
//
// Grouping, over the recordings in name order (the camera's clock):
// - parking recordings never join a trip and always end one;
// - when the card's telemetry carries trip ids that consecutive recordings
//   share (a camera that numbers drives rather than files), two recordings
//   that both have one are in one trip exactly when the ids are equal;
// - otherwise a gap of more than `gapMinutes` from one recording's end to
//   the next one's start begins a new trip;
// - then the user's merges and splits.
class TripBuilder {
 public:
  struct Options {
    int gapMinutes = 5;
    // The camera's time-zone setting: names are its wall clock.
    QTimeZone cameraZone = QTimeZone::utc();
    DrivingEventThresholds thresholds;
    // Null: no place names.
    std::shared_ptr<const PlaceNames> places;
  };
  struct Result {
    QList<Trip> trips;
    // Camera clock minus GPS time after the zone setting (median over the
    // card's recordings with a fix); none without fixes.
    std::optional<double> clockOffsetSeconds;
  };

  // `telemetry[i]` is the parse of `recordings[i]`, null when it has none.
  static Result build(const DCFInfoList& recordings,
                      const std::vector<std::shared_ptr<const NMEAData::Snapshot>>& telemetry,
                      const Options& options, const TripOverrides& overrides = {});
  // Only the clock offset of `build`.
  static std::optional<double> clockOffsetSeconds(const DCFInfoList& recordings,
                                                  const std::vector<std::shared_ptr<const NMEAData::Snapshot>>& telemetry,
                                                  const QTimeZone& cameraZone);
  // Reads every recording's telemetry (through DCFInfo::nmea) on every core.
  // Stops early (the rest left null) once `cancel` is set.
  static std::vector<std::shared_ptr<const NMEAData::Snapshot>> readTelemetry(
      const DCFInfoList& recordings, const std::atomic<bool>* cancel = nullptr);
  // True for a recording of the parking folder.
  static bool isParking(const DCFInfo& info);
};

}  // namespace dashcard
