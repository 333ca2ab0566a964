#pragma once

#include "core/catalogue/map_coordinate.h"
#include "core/map/map_rect.h"

#include <QHashFunctions>
#include <QList>
#include <QPointF>

namespace dashcard {

// One tile of the 256-pixel tile pyramid: zoom, column (west to east) and
// row (north to south), as tile servers number them.
struct TileId {
  int z = 0;
  int x = 0;
  int y = 0;
  bool operator==(const TileId& other) const = default;
};

inline size_t qHash(const TileId& t, size_t seed = 0) { return qHashMulti(seed, t.z, t.x, t.y); }

// The spherical Web Mercator projection (EPSG:3857) of tile servers.
namespace WebMercator {

inline constexpr int kTileSize = 256;
// The latitude where the square world ends, north and south.
inline constexpr double kMaxLatitude = 85.05112877980659;
// The sphere radius of EPSG:3857, metres.
inline constexpr double kEarthRadius = 6378137.0;

// Finite, latitude within ±90 and longitude within ±180.
bool isValidCoordinate(const MapCoordinate& c);
// Latitude clamped to ±kMaxLatitude; longitude wrapped into -180..180.
MapPoint project(const MapCoordinate& c);
MapCoordinate unproject(const MapPoint& p);
// EPSG:3857 metres (x east, y north).
QPointF projectedMetres(const MapCoordinate& c);
// Pixels across the world at a zoom.
double worldSize(double zoom);
// The tile holding a coordinate at an integer zoom.
TileId tileAt(const MapCoordinate& c, int zoom);
// A column number brought into 0..2^z-1 (the world repeats east and west).
int wrappedColumn(int x, int z);
// Ground metres covered by one pixel at a latitude and zoom.
double metresPerPixel(double latitude, double zoom);
// Bounding rectangle of some coordinates; null when there are none.
MapRect boundingRect(const QList<MapCoordinate>& coordinates);

}  // namespace WebMercator
}  // namespace dashcard
