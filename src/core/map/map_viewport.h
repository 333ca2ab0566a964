#pragma once

#include "core/catalogue/map_coordinate.h"
#include "core/map/map_rect.h"

#include <QPointF>
#include <QSizeF>

namespace dashcard {

// What part of the world a map of a given size shows: the centre, a
// fractional zoom and the size in logical pixels. The world repeats east and
// west; north and south the view stops at the edge of the square world.
class MapViewport {
 public:
  static constexpr double kMinZoom = 0.0;
  static constexpr double kMaxZoom = 19.0;

  QSizeF size() const { return size_; }
  void setSize(const QSizeF& size);
  double zoom() const { return zoom_; }
  void setZoom(double zoom);
  MapPoint center() const { return center_; }
  void setCenter(const MapPoint& center);
  void centerOn(const MapCoordinate& coordinate);

  // Pixels across the world at the current zoom.
  double worldPixels() const;
  MapRect visibleMapRect() const;
  // Shows `rect` with `edgePadding` pixels free on every side, at the
  // largest zoom that fits (kMaxZoom for a single point).
  void setVisibleMapRect(const MapRect& rect, double edgePadding);

  // On the copy of the world nearest to the centre.
  QPointF toScreen(const MapPoint& p) const;
  MapPoint toMap(const QPointF& screen) const;
  // Moves the view so the map follows a pointer drag of `delta` pixels.
  void panBy(const QPointF& delta);
  // Zooms to `zoom` keeping the map point under `screen` in place.
  void zoomAbout(const QPointF& screen, double zoom);

  bool operator==(const MapViewport& other) const = default;

 private:
  void clampCenter();

  QSizeF size_{256.0, 256.0};
  double zoom_ = 2.0;
  MapPoint center_{0.5, 0.5};
};

}  // namespace dashcard
