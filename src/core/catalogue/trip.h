#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/telemetry/driving_event.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace dashcard {

// A driving event placed on the card: the recording it is in and its time.
struct TripEvent {
  DrivingEvent event;
  DCFInfoPtr recording;
  // UTC.
  QDateTime time;
};

// One drive: consecutive recordings of the card (never parking ones) with
// its figures, computed from the catalogue and the telemetry, never stored.
struct Trip {
  DCFInfoList recordings;
  // UTC, from GPS time where the recordings have fixes, else from the
  // names corrected by the card's clock offset.
  QDateTime start;
  QDateTime end;
  // The same instants in the camera's time zone.
  QDateTime startLocal;
  QDateTime endLocal;
  double durationSeconds = 0.0;
  // Along the cleaned fixes.
  double distanceMeters = 0.0;
  double maxSpeedMps = 0.0;
  // Mean of the clean speeds while moving (above 1 m/s); 0 without any.
  double averageMovingSpeedMps = 0.0;
  QList<TripEvent> events;
  // Nearest towns to the first and last clean fix; empty when none is near.
  QString from;
  QString to;
  // Grouped by the camera's own trip id rather than by gaps.
  bool byTripID = false;
};

}  // namespace dashcard
