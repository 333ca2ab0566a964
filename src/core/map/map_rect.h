#pragma once

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace dashcard {

// A point of the Web Mercator plane in world units: the whole world spans
// 0..1 on both axes, x growing east from the antimeridian, y growing south
// from the top latitude.
struct MapPoint {
  double x = 0.0;
  double y = 0.0;
  bool operator==(const MapPoint& other) const = default;
};

// A rectangle of the Web Mercator plane in world units. The null rectangle
// (origin at infinity) stands for "no area at all", as for a line with no
// points; it is absorbed by a union and contains or meets nothing.
struct MapRect {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;

  static MapRect null() {
    const double inf = std::numeric_limits<double>::infinity();
    return {inf, inf, 0.0, 0.0};
  }
  bool isNull() const { return std::isinf(x) || std::isinf(y); }
  double maxX() const { return x + width; }
  double maxY() const { return y + height; }
  MapPoint center() const { return {x + width / 2.0, y + height / 2.0}; }

  MapRect united(const MapRect& other) const {
    if (isNull()) return other;
    if (other.isNull()) return *this;
    const double left = std::min(x, other.x);
    const double top = std::min(y, other.y);
    return {left, top, std::max(maxX(), other.maxX()) - left, std::max(maxY(), other.maxY()) - top};
  }
  MapRect united(const MapPoint& p) const { return united(MapRect{p.x, p.y, 0.0, 0.0}); }
  bool contains(const MapRect& other) const {
    return !isNull() && !other.isNull() && other.x >= x && other.y >= y && other.maxX() <= maxX() &&
           other.maxY() <= maxY();
  }
  bool contains(const MapPoint& p) const { return !isNull() && p.x >= x && p.y >= y && p.x <= maxX() && p.y <= maxY(); }
  bool intersects(const MapRect& other) const {
    return !isNull() && !other.isNull() && x <= other.maxX() && other.x <= maxX() && y <= other.maxY() &&
           other.y <= maxY();
  }
  // Grown by `dx` on the left and right and `dy` on the top and bottom.
  MapRect adjusted(double dx, double dy) const {
    if (isNull()) return *this;
    return {x - dx, y - dy, width + 2.0 * dx, height + 2.0 * dy};
  }
  QRectF toRectF() const { return {x, y, width, height}; }
  bool operator==(const MapRect& other) const = default;
};

}  // namespace dashcard
