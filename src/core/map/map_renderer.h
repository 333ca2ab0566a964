#pragma once

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/telemetry/driving_event.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include <memory>

namespace dashcard {

class MapTileLayer;
class PlaceNames;
class MapVewController;
class MapViewport;

// Draws the route map with QPainter on any device: tiles, route lines from
// paths cached per zoom, markers, the scale bar and the attribution. Keeps
// its caches between frames, so one renderer serves one map.
class MapRenderer {
 public:
  void draw(QPainter& painter, const MapVewController& controller, MapTileLayer& tiles, qreal devicePixelRatio);

  // The marker drawn at `screen`, topmost first; null when none.
  std::shared_ptr<CustomPointAnnotation> annotationAt(const MapVewController& controller, const QPointF& screen,
                                                      qreal devicePixelRatio);
  // Where a marker's image is drawn.
  QRectF annotationRect(const CustomPointAnnotation& annotation, const MapViewport& viewport,
                        qreal devicePixelRatio);

  static void drawScaleBar(QPainter& painter, const MapViewport& viewport);
  static void drawAttribution(QPainter& painter, const QSizeF& size, const QString& text);
  // A driving event's icon centred on `center`: a disc in the kind's colour
  // with an arrow (down for braking, up for acceleration, sideways for
  // cornering); ringed when selected.
  static void drawEventIcon(QPainter& painter, const QPointF& center, DrivingEvent::Kind kind, bool selected);
  // The event's callout above `center`, kept inside `bounds`.
  static void drawEventCallout(QPainter& painter, const QPointF& center, const QString& text, const QSizeF& bounds);
  static constexpr double kEventIconRadius = 7.0;

  // Town names drawn on the built-in map (none when null), as many as fit
  // without overlapping, the most populous first, fewer and bigger towns
  // the further out the view is.
  void setPlaces(std::shared_ptr<const PlaceNames> places) { places_ = std::move(places); }
  // `shift` moves screen points to the painter's and `area` is where to
  // draw in the painter's points (null: the view).
  static void drawTownLabels(QPainter& painter, const MapViewport& viewport, const PlaceNames& places,
                             const QPointF& shift = {}, const QRectF& area = {});
  // The smallest town named at a view zoom.
  static std::uint32_t minTownPopulation(double zoom);

  // The key of the speed colours: the scale from 0 to `topSpeed` (m/s).
  static void drawSpeedLegend(QPainter& painter, double topSpeed);

  // Route paths built so far (for the benchmark and tests).
  int cachedPathCount() const { return int(paths_.size()); }

 private:
  struct CachedPath {
    std::weak_ptr<CustomMapPolyline> line;
    double zoom = -1.0;
    QPainterPath path;  // world pixels at `zoom`
    QRectF bounds;
    // The same points with their speeds, for lines coloured by speed.
    QList<QPointF> points;
    QList<float> speeds;
  };
  const CachedPath& pathFor(const std::shared_ptr<CustomMapPolyline>& line, double zoom);
  const QImage& imageFor(const CustomPointAnnotation& annotation, qreal devicePixelRatio);
  void drawMarker(QPainter& painter, const CustomPointAnnotation& annotation, const MapViewport& viewport,
                  qreal devicePixelRatio, const QPointF& shift, const QRectF& area, bool selected);
  // Lines and recording markers, moved by `shift`, those meeting `area`.
  void drawOverlays(QPainter& painter, const MapVewController& controller, qreal devicePixelRatio, const QPointF& shift,
                    const QRectF& area, bool townLabels);

  struct OverlayPicture {
    QImage image;
    QRectF area;  // world pixels at `zoom`
    quint64 revision = 0;
    double zoom = -1.0;
    qreal devicePixelRatio = 0.0;
    bool townLabels = false;
  };

  QHash<const CustomMapPolyline*, CachedPath> paths_;
  QHash<QString, QImage> images_;
  OverlayPicture overlays_;
  std::shared_ptr<const PlaceNames> places_;
};

}  // namespace dashcard
