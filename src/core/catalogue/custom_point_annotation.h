#pragma once

#include "core/catalogue/map_coordinate.h"

#include <QString>

#include <memory>

namespace dashcard {

class DCFInfo;

// A marker on the map: a recording's start (info set) or the moving
// current-position marker (isUserLocation). Data only; the map draws it.
struct CustomPointAnnotation {
  MapCoordinate coordinate;
  QString title;
  bool isUserLocation = false;
  // The position comes from a valid GPS fix.
  bool GPSEnable = false;
  // Heading in degrees and speed of the vehicle.
  double direction = 0.0;
  float speed = 0.0F;
  // The recording this marker stands for; held weakly.
  std::weak_ptr<DCFInfo> info;
};

}  // namespace dashcard
