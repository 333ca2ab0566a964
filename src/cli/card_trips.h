#pragma once

#include "core/catalogue/trip_builder.h"

#include <QString>
#include <QTimeZone>

namespace dashcard::cli {

// The camera's time zone from the card's settings file; UTC without one.
QTimeZone cameraZoneOfCard(const QString& root);
// The trips of a scanned card as the viewer makes them: the camera's zone,
// every recording's telemetry, the user's merges and splits, place names.
TripBuilder::Result tripsOfCard(const QString& root, const DCFInfoList& recordings, int gapMinutes = 5);

}  // namespace dashcard::cli
