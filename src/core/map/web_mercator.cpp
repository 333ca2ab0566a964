#include "core/map/web_mercator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dashcard::WebMercator {

bool isValidCoordinate(const MapCoordinate& c) {
  return std::isfinite(c.latitude) && std::isfinite(c.longitude) && std::abs(c.latitude) <= 90.0 &&
         std::abs(c.longitude) <= 180.0;
}

namespace {
double wrappedLongitude(double longitude) {
  if (longitude >= -180.0 && longitude <= 180.0) return longitude;
  double l = std::fmod(longitude + 180.0, 360.0);
  if (l < 0.0) l += 360.0;
  return l - 180.0;
}
}  // namespace

MapPoint project(const MapCoordinate& c) {
  const double lat = std::clamp(c.latitude, -kMaxLatitude, kMaxLatitude) * std::numbers::pi / 180.0;
  const double x = (wrappedLongitude(c.longitude) + 180.0) / 360.0;
  const double y = 0.5 - std::log(std::tan(std::numbers::pi / 4.0 + lat / 2.0)) / (2.0 * std::numbers::pi);
  return {x, y};
}

MapCoordinate unproject(const MapPoint& p) {
  const double n = std::numbers::pi * (1.0 - 2.0 * p.y);
  return {std::atan(std::sinh(n)) * 180.0 / std::numbers::pi, p.x * 360.0 - 180.0};
}

QPointF projectedMetres(const MapCoordinate& c) {
  const MapPoint p = project(c);
  const double half = std::numbers::pi * kEarthRadius;
  return {(p.x * 2.0 - 1.0) * half, (1.0 - p.y * 2.0) * half};
}

double worldSize(double zoom) { return kTileSize * std::exp2(zoom); }

int wrappedColumn(int x, int z) {
  const int n = 1 << z;
  return ((x % n) + n) % n;
}

TileId tileAt(const MapCoordinate& c, int zoom) {
  const MapPoint p = project(c);
  const int n = 1 << zoom;
  return {zoom, std::clamp(int(std::floor(p.x * n)), 0, n - 1), std::clamp(int(std::floor(p.y * n)), 0, n - 1)};
}

double metresPerPixel(double latitude, double zoom) {
  return 2.0 * std::numbers::pi * kEarthRadius * std::cos(latitude * std::numbers::pi / 180.0) / worldSize(zoom);
}

MapRect boundingRect(const QList<MapCoordinate>& coordinates) {
  MapRect r = MapRect::null();
  for (const MapCoordinate& c : coordinates) r = r.united(project(c));
  return r;
}

}  // namespace dashcard::WebMercator
