#include "core/map/map_renderer.h"

#include "core/catalogue/place_names.h"
#include "core/common/color_palette.h"
#include "core/map/custom_point_annotation_image.h"
#include "core/map/map_tile_layer.h"
#include "core/map/map_vew_controller.h"
#include "core/map/web_mercator.h"
#include "core/telemetry/custom_location.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {

// Saves `painter` and sets it up for small text of `pointSize` (the caller
// restores it); the metrics of that font.
QFontMetricsF beginSmallText(QPainter& painter, qreal pointSize) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setPointSizeF(pointSize);
  painter.setFont(font);
  return QFontMetricsF(font);
}
constexpr double kRouteWidth = 5.0;
// The overlay picture reaches this share of the view beyond each side:
// 2.25 times the view's pixels (9 MB at 1280x800).
constexpr double kOverlayMargin = 0.25;
// Speed colours come in steps: a run of segments of one step is one stroke.
constexpr int kSpeedSteps = 32;

// One route line in runs of segments, each run in the colour of its speed
// step (a segment takes the mean of its two ends); unknown speeds in grey.
void drawBySpeed(QPainter& painter, const QList<QPointF>& points, const QList<float>& speeds, double top, int alpha) {
  const auto stepOf = [&](qsizetype i) {
    const float a = speeds[i - 1];
    const float b = speeds[i];
    if (a < 0.0F || b < 0.0F) return -1;
    return std::clamp(int((a + b) / 2.0 / top * kSpeedSteps), 0, kSpeedSteps - 1);
  };
  QPen pen(Qt::gray, kRouteWidth);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  for (qsizetype start = 1; start < points.size();) {
    const int step = stepOf(start);
    qsizetype end = start + 1;
    while (end < points.size() && stepOf(end) == step) ++end;
    QColor color = step < 0 ? QColor(150, 150, 150) : ColorPalette::viridis((step + 0.5) / kSpeedSteps);
    color.setAlpha(alpha);
    pen.setColor(color);
    painter.setPen(pen);
    painter.drawPolyline(points.constData() + start - 1, int(end - start + 1));
    start = end;
  }
}
}

const MapRenderer::CachedPath& MapRenderer::pathFor(const std::shared_ptr<CustomMapPolyline>& line, double zoom) {
  CachedPath& cached = paths_[line.get()];
  if (cached.zoom == zoom && cached.line.lock() == line) return cached;
  cached.line = line;
  cached.zoom = zoom;
  cached.path = QPainterPath();
  cached.points.clear();
  cached.speeds.clear();
  const bool withSpeeds = line->speeds().size() == line->coordinates().size();
  const double world = WebMercator::worldSize(zoom);
  QPointF last;
  bool first = true;
  const auto& points = line->coordinates();
  for (qsizetype i = 0; i < points.size(); ++i) {
    const MapPoint m = WebMercator::project(points[i]);
    const QPointF p(m.x * world, m.y * world);
    if (first) {
      cached.path.moveTo(p);
      first = false;
    } else if (i + 1 == points.size() || std::abs(p.x() - last.x()) >= 1.0 || std::abs(p.y() - last.y()) >= 1.0) {
      // Points closer than a pixel at this zoom add nothing.
      cached.path.lineTo(p);
    } else {
      continue;
    }
    if (withSpeeds) {
      cached.points.append(p);
      cached.speeds.append(line->speeds()[i]);
    }
    last = p;
  }
  cached.bounds = cached.path.boundingRect().adjusted(-kRouteWidth, -kRouteWidth, kRouteWidth, kRouteWidth);
  return cached;
}

const QImage& MapRenderer::imageFor(const CustomPointAnnotation& annotation, qreal devicePixelRatio) {
  const QString key = QStringLiteral("%1/%2/%3")
                          .arg(annotationImageName(annotation))
                          .arg(devicePixelRatio)
                          .arg(annotation.isUserLocation ? std::lround(annotation.direction * 10.0) : 0);
  auto it = images_.find(key);
  if (it == images_.end()) {
    if (images_.size() > 256) images_.clear();
    it = images_.insert(key, annotationImage(annotation, devicePixelRatio));
  }
  return *it;
}

QRectF MapRenderer::annotationRect(const CustomPointAnnotation& annotation, const MapViewport& viewport,
                                   qreal devicePixelRatio) {
  const QImage& image = imageFor(annotation, devicePixelRatio);
  if (image.isNull()) return {};
  const QSizeF size = image.deviceIndependentSize();
  const QPointF center = viewport.toScreen(WebMercator::project(annotation.coordinate)) +
                         annotationCenterOffset(annotationReuseIdentifier(annotation), size);
  return {center - QPointF(size.width() / 2.0, size.height() / 2.0), size};
}

void MapRenderer::drawMarker(QPainter& painter, const CustomPointAnnotation& annotation, const MapViewport& viewport,
                             qreal devicePixelRatio, const QPointF& shift, const QRectF& area, bool selected) {
  const QRectF rect = annotationRect(annotation, viewport, devicePixelRatio).translated(shift);
  if (rect.isNull() || !rect.intersects(area)) return;
  if (selected) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawEllipse(rect.adjusted(-3, -3, 3, 3));
    painter.restore();
  }
  painter.drawImage(rect, imageFor(annotation, devicePixelRatio));
}

void MapRenderer::drawOverlays(QPainter& painter, const MapVewController& controller, qreal devicePixelRatio,
                               const QPointF& shift, const QRectF& area, bool townLabels) {
  const MapViewport& viewport = controller.viewport();
  // Under the routes, in the picture that moves while dragging: no cost per frame.
  if (townLabels) drawTownLabels(painter, viewport, *places_, shift, area);
  const double zoom = viewport.zoom();
  const double world = viewport.worldPixels();
  if (paths_.size() > 2 * controller.mapOverlays().size() + 64) {
    for (auto it = paths_.begin(); it != paths_.end();) it = it->line.expired() ? paths_.erase(it) : std::next(it);
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double top = controller.colorRouteBySpeed() ? controller.speedScaleMax() : 0.0;
  for (const auto& line : controller.mapOverlays()) {
    const QColor color = controller.strokeColor(line.get());
    if (color.alpha() == 0 || line->pointCount() == 0) continue;
    const CachedPath& cached = pathFor(line, zoom);
    // The copy of the world nearest to the view centre.
    const double cx = viewport.center().x * world;
    const double copy = -std::round((cached.bounds.center().x() - cx) / world) * world;
    const QPointF offset = QPointF(copy - cx + viewport.size().width() / 2.0,
                                   -viewport.center().y * world + viewport.size().height() / 2.0) +
                           shift;
    if (!cached.bounds.translated(offset).intersects(area)) continue;
    painter.translate(offset);
    if (top > 0.0 && cached.points.size() > 1) {
      drawBySpeed(painter, cached.points, cached.speeds, top, color.alpha());
    } else {
      QPen pen(color, kRouteWidth);
      pen.setCapStyle(Qt::RoundCap);
      pen.setJoinStyle(Qt::RoundJoin);
      painter.setPen(pen);
      painter.drawPath(cached.path);
    }
    painter.translate(-offset);
  }
  painter.restore();
  for (const auto& annotation : controller.mapAnnotations()) {
    drawMarker(painter, *annotation, viewport, devicePixelRatio, shift, area,
               annotation == controller.selectedAnnotation());
  }
  if (!controller.eventMarksVisible()) return;
  const auto& events = controller.eventMarks();
  for (int i = 0; i < events.size(); ++i) {
    const QPointF center = viewport.toScreen(WebMercator::project(events[i].coordinate)) + shift;
    if (!area.adjusted(-kEventIconRadius, -kEventIconRadius, kEventIconRadius, kEventIconRadius).contains(center)) continue;
    drawEventIcon(painter, center, events[i].event.kind, i == controller.selectedEventMark());
  }
}

void MapRenderer::drawEventIcon(QPainter& painter, const QPointF& center, DrivingEvent::Kind kind, bool selected) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double r = kEventIconRadius;
  painter.setPen(QPen(selected ? QColor(20, 20, 20) : Qt::white, selected ? 2.5 : 1.5));
  painter.setBrush(DrivingEvent::kindColor(kind));
  painter.drawEllipse(center, r, r);
  QPen arrow(Qt::white, 1.6);
  arrow.setCapStyle(Qt::RoundCap);
  painter.setPen(arrow);
  // The arrow points where the push goes, as the car's occupants feel it.
  const double a = r * 0.55;
  QPointF tip(0, a);
  QPointF tail(0, -a);
  if (kind == DrivingEvent::Kind::Acceleration) std::swap(tip, tail);
  if (kind == DrivingEvent::Kind::Cornering) {
    tip = QPointF(a, 0);
    tail = QPointF(-a, 0);
  }
  painter.drawLine(center + tail, center + tip);
  const QPointF back = (tail - tip) * 0.45;
  const QPointF side(-back.y(), back.x());
  painter.drawLine(center + tip, center + tip + back + side * 0.8);
  painter.drawLine(center + tip, center + tip + back - side * 0.8);
  painter.restore();
}

void MapRenderer::drawEventCallout(QPainter& painter, const QPointF& center, const QString& text, const QSizeF& bounds) {
  const QFontMetricsF metrics = beginSmallText(painter, 8.5);
  const QSizeF size(metrics.horizontalAdvance(text) + 12.0, metrics.height() + 8.0);
  QPointF topLeft(center.x() - size.width() / 2.0, center.y() - kEventIconRadius - 6.0 - size.height());
  if (topLeft.y() < 2.0) topLeft.setY(center.y() + kEventIconRadius + 6.0);
  topLeft.setX(std::clamp(topLeft.x(), 2.0, std::max(2.0, bounds.width() - size.width() - 2.0)));
  const QRectF box(topLeft, size);
  painter.setPen(QPen(QColor(90, 90, 90), 1.0));
  painter.setBrush(QColor(255, 255, 255, 235));
  painter.drawRoundedRect(box, 4.0, 4.0);
  painter.setPen(QColor(30, 30, 30));
  painter.drawText(box, Qt::AlignCenter, text);
  painter.restore();
}

void MapRenderer::draw(QPainter& painter, const MapVewController& controller, MapTileLayer& tiles,
                       qreal devicePixelRatio) {
  const MapViewport& viewport = controller.viewport();
  tiles.draw(painter, viewport, devicePixelRatio);
  // Only over the built-in map: other sources name their places themselves.
  const bool townLabels = places_ && !tiles.source();

  // Lines and recording markers are drawn into a picture larger than the
  // view and only moved while the map is dragged; a new zoom, new lines or
  // leaving the picture draws it again.
  const double world = viewport.worldPixels();
  const QSizeF size = viewport.size();
  const QPointF topLeft(viewport.center().x * world - size.width() / 2.0,
                        viewport.center().y * world - size.height() / 2.0);
  const QRectF shown(topLeft, size);
  if (overlays_.image.isNull() || overlays_.revision != controller.overlayRevision() ||
      overlays_.zoom != viewport.zoom() || overlays_.devicePixelRatio != devicePixelRatio ||
      overlays_.townLabels != townLabels || !overlays_.area.contains(shown)) {
    overlays_.townLabels = townLabels;
    const QSizeF margin = size * kOverlayMargin;
    overlays_.area = QRectF(topLeft - QPointF(margin.width(), margin.height()), size + 2.0 * margin);
    overlays_.revision = controller.overlayRevision();
    overlays_.zoom = viewport.zoom();
    overlays_.devicePixelRatio = devicePixelRatio;
    overlays_.image = QImage((overlays_.area.size() * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    overlays_.image.setDevicePixelRatio(devicePixelRatio);
    overlays_.image.fill(Qt::transparent);
    QPainter layer(&overlays_.image);
    drawOverlays(layer, controller, devicePixelRatio, topLeft - overlays_.area.topLeft(),
                 QRectF(QPointF(0, 0), overlays_.area.size()), townLabels);
  }
  painter.drawImage(overlays_.area.topLeft() - topLeft, overlays_.image);

  if (controller.userLocationIsOnMap() && controller.userLocation()) {
    drawMarker(painter, *controller.userLocation(), viewport, devicePixelRatio, {}, QRectF(QPointF(0, 0), size), false);
  }
  const int event = controller.eventMarksVisible() ? controller.selectedEventMark() : -1;
  if (event >= 0 && event < controller.eventMarks().size()) {
    const auto& mark = controller.eventMarks()[event];
    drawEventCallout(painter, viewport.toScreen(WebMercator::project(mark.coordinate)),
                     MapVewController::calloutText(mark), size);
  }
  drawScaleBar(painter, viewport);
  drawAttribution(painter, viewport.size(), tiles.attribution());
  if (controller.colorRouteBySpeed() && controller.speedScaleMax() > 0.0) {
    drawSpeedLegend(painter, controller.speedScaleMax());
  }
}

std::uint32_t MapRenderer::minTownPopulation(double zoom) {
  const struct {
    double below;
    std::uint32_t population;
  } steps[] = {{4.0, 3000000}, {6.0, 1000000}, {8.0, 200000}, {10.0, 40000}, {12.0, 8000}};
  for (const auto& step : steps) {
    if (zoom < step.below) return step.population;
  }
  return 1000;
}

void MapRenderer::drawTownLabels(QPainter& painter, const MapViewport& viewport, const PlaceNames& places,
                                 const QPointF& shift, const QRectF& area) {
  // At most this many names in a view's worth of map, and candidates enough to fill the gaps.
  const QRectF bounds = area.isNull() ? QRectF(QPointF(0, 0), viewport.size()) : area;
  const double views = std::max(
      1.0, bounds.width() * bounds.height() / std::max(1.0, viewport.size().width() * viewport.size().height()));
  const auto maxLabels = static_cast<std::size_t>(40.0 * views);
  const std::size_t candidates = 10 * maxLabels;
  const MapCoordinate northWest = WebMercator::unproject(viewport.toMap(bounds.topLeft() - shift));
  const MapCoordinate southEast = WebMercator::unproject(viewport.toMap(bounds.bottomRight() - shift));
  double west = northWest.longitude;
  double east = southEast.longitude;
  // A picture wider than the world sees every longitude.
  if (viewport.worldPixels() <= bounds.width()) {
    west = -180.0;
    east = 180.0;
  }
  const std::vector<PlaceNames::Place> towns =
      places.within(southEast.latitude, northWest.latitude, west, east, minTownPopulation(viewport.zoom()), candidates);
  if (towns.empty()) return;
  const QFontMetricsF metrics = beginSmallText(painter, 8.0);
  std::vector<QRectF> taken;
  for (const PlaceNames::Place& town : towns) {
    if (taken.size() >= maxLabels) break;
    const QPointF at = viewport.toScreen(WebMercator::project({town.latitude, town.longitude})) + shift;
    const QRectF text(at + QPointF(4.0, -metrics.ascent() / 2.0 - 1.0),
                      QSizeF(metrics.horizontalAdvance(town.name) + 2.0, metrics.height()));
    const QRectF room = text.united(QRectF(at - QPointF(3, 3), QSizeF(6, 6))).adjusted(-3, -2, 3, 2);
    if (!bounds.contains(room)) continue;
    if (std::any_of(taken.cbegin(), taken.cend(), [&](const QRectF& other) { return other.intersects(room); }))
      continue;
    taken.push_back(room);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 1.0));
    painter.setBrush(QColor(70, 70, 70));
    painter.drawEllipse(at, 2.2, 2.2);
    // A light halo keeps the name readable over land, borders and water:
    // the text drawn around itself, from the glyph cache (a stroked outline
    // path doubles the time of a whole route picture).
    const QPointF baseline(text.left() + 1.0, text.top() + metrics.ascent());
    painter.setPen(QColor(255, 255, 255, 200));
    for (const QPointF& offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
      painter.drawText(baseline + offset, town.name);
    }
    painter.setPen(QColor(50, 50, 50));
    painter.drawText(baseline, town.name);
  }
  painter.restore();
}

void MapRenderer::drawSpeedLegend(QPainter& painter, double topSpeed) {
  const QRectF bar(14.0, 14.0, 120.0, 10.0);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QFont font = painter.font();
  font.setPointSizeF(8.0);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  const QString top = QStringLiteral("%1 %2")
                          .arg(qRound(CustomLocation::speedForCurrentLocale(topSpeed)))
                          .arg(CustomLocation::unitForCurrentLocale());
  painter.fillRect(QRectF(bar.left() - 6, bar.top() - 6, bar.width() + 12, bar.height() + metrics.height() + 14),
                   QColor(255, 255, 255, 190));
  QLinearGradient gradient(bar.topLeft(), bar.topRight());
  for (int i = 0; i <= 10; ++i) gradient.setColorAt(i / 10.0, ColorPalette::viridis(i / 10.0));
  painter.fillRect(bar, gradient);
  painter.setPen(QColor(40, 40, 40));
  const double baseline = bar.bottom() + metrics.ascent() + 3;
  painter.drawText(QPointF(bar.left(), baseline), QStringLiteral("0"));
  painter.drawText(QPointF(bar.right() - metrics.horizontalAdvance(top), baseline), top);
  painter.restore();
}

std::shared_ptr<CustomPointAnnotation> MapRenderer::annotationAt(const MapVewController& controller,
                                                                 const QPointF& screen, qreal devicePixelRatio) {
  const auto& annotations = controller.mapAnnotations();
  for (auto it = annotations.rbegin(); it != annotations.rend(); ++it) {
    if (annotationRect(**it, controller.viewport(), devicePixelRatio).contains(screen)) return *it;
  }
  return nullptr;
}

void MapRenderer::drawScaleBar(QPainter& painter, const MapViewport& viewport) {
  const double latitude = WebMercator::unproject(viewport.center()).latitude;
  const double metresPerPixel = WebMercator::metresPerPixel(latitude, viewport.zoom());
  if (!(metresPerPixel > 0.0)) return;
  // The longest round length (1, 2 or 5 times a power of ten) within 100 pixels.
  const double most = metresPerPixel * 100.0;
  const double power = std::pow(10.0, std::floor(std::log10(most)));
  double metres = power;
  for (double step : {2.0, 5.0}) {
    if (power * step <= most) metres = power * step;
  }
  const double pixels = metres / metresPerPixel;
  const QString text = metres >= 1000.0 ? QStringLiteral("%1 km").arg(QLocale().toString(metres / 1000.0))
                                        : QStringLiteral("%1 m").arg(QLocale().toString(metres));
  const QPointF origin(10.0, viewport.size().height() - 12.0);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QFont font = painter.font();
  font.setPointSizeF(8.0);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  painter.fillRect(QRectF(origin.x() - 4, origin.y() - metrics.height() - 4, std::max(pixels, metrics.horizontalAdvance(text)) + 8,
                          metrics.height() + 10),
                   QColor(255, 255, 255, 170));
  painter.setPen(QPen(QColor(40, 40, 40), 1.5));
  painter.drawLine(origin, origin + QPointF(pixels, 0));
  painter.drawLine(origin, origin - QPointF(0, 5));
  painter.drawLine(origin + QPointF(pixels, 0), origin + QPointF(pixels, -5));
  painter.drawText(origin + QPointF(3, -4), text);
  painter.restore();
}

void MapRenderer::drawAttribution(QPainter& painter, const QSizeF& size, const QString& text) {
  if (text.isEmpty()) return;
  painter.save();
  QFont font = painter.font();
  font.setPointSizeF(7.5);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  const QRectF box(size.width() - metrics.horizontalAdvance(text) - 8, size.height() - metrics.height() - 2,
                   metrics.horizontalAdvance(text) + 8, metrics.height() + 2);
  painter.fillRect(box, QColor(255, 255, 255, 190));
  painter.setPen(QColor(50, 50, 50));
  painter.drawText(box, Qt::AlignCenter, text);
  painter.restore();
}

}  // namespace dashcard
