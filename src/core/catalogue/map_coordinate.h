#pragma once

namespace dashcard {

// A point on the map in degrees, south and west negative.
struct MapCoordinate {
  double latitude = 0.0;
  double longitude = 0.0;
  bool operator==(const MapCoordinate& other) const = default;
};

}  // namespace dashcard
