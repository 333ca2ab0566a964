#include "core/map/map_viewport.h"

#include "core/map/web_mercator.h"

#include <algorithm>
#include <cmath>

namespace dashcard {

void MapViewport::setSize(const QSizeF& size) {
  size_ = size.expandedTo(QSizeF(1.0, 1.0));
  clampCenter();
}

void MapViewport::setZoom(double zoom) {
  zoom_ = std::clamp(std::isfinite(zoom) ? zoom : kMinZoom, kMinZoom, kMaxZoom);
  clampCenter();
}

void MapViewport::setCenter(const MapPoint& center) {
  if (!std::isfinite(center.x) || !std::isfinite(center.y)) return;
  center_ = center;
  clampCenter();
}

void MapViewport::centerOn(const MapCoordinate& coordinate) {
  if (WebMercator::isValidCoordinate(coordinate)) setCenter(WebMercator::project(coordinate));
}

double MapViewport::worldPixels() const { return WebMercator::worldSize(zoom_); }

MapRect MapViewport::visibleMapRect() const {
  const double w = size_.width() / worldPixels();
  const double h = size_.height() / worldPixels();
  return {center_.x - w / 2.0, center_.y - h / 2.0, w, h};
}

void MapViewport::setVisibleMapRect(const MapRect& rect, double edgePadding) {
  if (rect.isNull()) return;
  double w = size_.width() - 2.0 * edgePadding;
  double h = size_.height() - 2.0 * edgePadding;
  if (w < 1.0 || h < 1.0) {
    w = size_.width();
    h = size_.height();
  }
  double zoom = kMaxZoom;
  if (rect.width > 0.0) zoom = std::min(zoom, std::log2(w / (rect.width * WebMercator::kTileSize)));
  if (rect.height > 0.0) zoom = std::min(zoom, std::log2(h / (rect.height * WebMercator::kTileSize)));
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  center_ = rect.center();
  clampCenter();
}

QPointF MapViewport::toScreen(const MapPoint& p) const {
  const double s = worldPixels();
  // The copy of the world nearest to the centre.
  const double dx = p.x - center_.x - std::round(p.x - center_.x);
  return {dx * s + size_.width() / 2.0, (p.y - center_.y) * s + size_.height() / 2.0};
}

MapPoint MapViewport::toMap(const QPointF& screen) const {
  const double s = worldPixels();
  return {center_.x + (screen.x() - size_.width() / 2.0) / s, center_.y + (screen.y() - size_.height() / 2.0) / s};
}

void MapViewport::panBy(const QPointF& delta) {
  const double s = worldPixels();
  setCenter({center_.x - delta.x() / s, center_.y - delta.y() / s});
}

void MapViewport::zoomAbout(const QPointF& screen, double zoom) {
  const MapPoint anchor = toMap(screen);
  setZoom(zoom);
  const double s = worldPixels();
  setCenter({anchor.x - (screen.x() - size_.width() / 2.0) / s, anchor.y - (screen.y() - size_.height() / 2.0) / s});
}

void MapViewport::clampCenter() {
  center_.x -= std::floor(center_.x);
  const double half = size_.height() / worldPixels() / 2.0;
  center_.y = half >= 0.5 ? 0.5 : std::clamp(center_.y, half, 1.0 - half);
}

}  // namespace dashcard
