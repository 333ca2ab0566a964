// Route lines coloured by speed, read back from the drawn pixels.
#include "core/map/map_renderer.h"
#include "core/catalogue/place_names.h"
#include "core/common/color_palette.h"
#include "core/map/map_tile_layer.h"
#include "core/map/map_vew_controller.h"
#include "core/map/web_mercator.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

// A west-east line of `count` fixes at `latitude`, all at `speed` (m/s).
std::shared_ptr<CustomMapPolyline> line(double latitude, int count, float speed, float lastSpeed) {
  QList<MapCoordinate> points;
  QList<float> speeds;
  for (int i = 0; i < count; ++i) {
    points.append({latitude, 139.60 + i * 0.002});
    speeds.append(i + 1 == count ? lastSpeed : speed);
  }
  return std::make_shared<CustomMapPolyline>(points, speeds, QColor(0, 0, 255));
}

bool yellowish(QRgb c) { return qRed(c) > 180 && qGreen(c) > 180 && qBlue(c) < 100; }
bool violet(QRgb c) { return qRed(c) < 100 && qGreen(c) < 80 && qBlue(c) > 70; }

// The map drawn onto a white 400x300 frame.
QImage drawn(const MapVewController& map) {
  MapTileLayer tiles;
  MapRenderer renderer;
  QImage frame(400, 300, QImage::Format_ARGB32_Premultiplied);
  frame.fill(Qt::white);
  QPainter painter(&frame);
  renderer.draw(painter, map, tiles, 1.0);
  return frame;
}

TEST(MapRendererTest, RouteColouredBySpeedWithItsLegend) {
  MapVewController map;
  map.viewport().setSize({400, 300});
  // Slow traffic, a fast road, one fix with an impossible speed at its end,
  // and a line whose speeds are unknown.
  map.addRouteOverlayLines({line(35.60, 100, 1.0F, 1.0F), line(35.62, 100, 20.0F, 400.0F), line(35.64, 40, -1.0F, -1.0F)});
  map.focusMapRect(MapVewController::totalMapRect(map.mapOverlays()), false);
  // The spike is above the 99th percentile: it does not stretch the scale.
  EXPECT_FLOAT_EQ(map.speedScaleMax(), 20.0);

  const auto pixelAt = [&](const QImage& frame, double latitude) {
    const QPointF p = map.viewport().toScreen(WebMercator::project({latitude, 139.65}));
    return frame.pixel(p.toPoint());
  };
  struct Case {
    const char* name;
    bool bySpeed;
  } const cases[] = {{"own colour", false}, {"by speed", true}, {"own colour again", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    map.setColorRouteBySpeed(c.bySpeed);
    const QImage frame = drawn(map);
    const QRgb slow = pixelAt(frame, 35.60);
    const QRgb fast = pixelAt(frame, 35.62);
    const QRgb unknown = pixelAt(frame, 35.64);
    const QRgb legendLow = frame.pixel(16, 19);
    const QRgb legendHigh = frame.pixel(132, 19);
    if (c.bySpeed) {
      EXPECT_TRUE(violet(slow)) << std::hex << slow;
      EXPECT_TRUE(yellowish(fast)) << std::hex << fast;
      EXPECT_EQ(qRed(unknown), qGreen(unknown));  // grey
      EXPECT_TRUE(violet(legendLow)) << std::hex << legendLow;
      EXPECT_TRUE(yellowish(legendHigh)) << std::hex << legendHigh;
    } else {
      for (const QRgb routePixel : {slow, fast, unknown}) EXPECT_EQ(routePixel, qRgb(0, 0, 255));
      EXPECT_FALSE(yellowish(legendHigh));
    }
  }
}

TEST(MapRendererTest, ViridisEndsAndBadInput) {
  struct Case {
    double t;
    QRgb rgb;
  } const cases[] = {{0.0, qRgb(68, 1, 84)},  {1.0, qRgb(253, 231, 37)}, {-3.0, qRgb(68, 1, 84)},
                     {7.0, qRgb(253, 231, 37)}, {std::nan(""), qRgb(68, 1, 84)}, {0.5, qRgb(33, 145, 140)}};
  for (const Case& c : cases) EXPECT_EQ(ColorPalette::viridis(c.t).rgb(), c.rgb) << c.t;
}

TEST(MapRendererTest, DrivingEventIconsAreHitDrawnAndChosen) {
  MapVewController map;
  map.viewport().setSize({400, 300});
  map.addRouteOverlayLines({line(35.60, 100, 10.0F, 10.0F)});
  map.focusMapRect(MapVewController::totalMapRect(map.mapOverlays()), false);
  using Kind = DrivingEvent::Kind;
  const struct {
    double longitude;
    Kind kind;
  } events[] = {{139.64, Kind::Braking}, {139.70, Kind::Acceleration}, {139.76, Kind::Cornering}};
  QList<MapVewController::EventMark> marks;
  for (const auto& e : events) {
    MapVewController::EventMark mark;
    mark.event.kind = e.kind;
    mark.event.peakG = 0.52;
    mark.coordinate = {35.60, e.longitude};
    mark.timeText = QStringLiteral("08:01:02");
    marks.append(mark);
  }
  map.setEventMarks(marks);
  const auto screenOf = [&](double longitude) { return map.viewport().toScreen(WebMercator::project({35.60, longitude})); };
  const auto render = [&] { return drawn(map); };
  const auto close = [](QRgb a, const QColor& b) {
    return std::abs(qRed(a) - b.red()) < 40 && std::abs(qGreen(a) - b.green()) < 40 && std::abs(qBlue(a) - b.blue()) < 40;
  };
  const QImage frame = render();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    // Off the arrow, inside the disc.
    const QRgb pixel = frame.pixel((screenOf(events[i].longitude) + QPointF(-4, -3)).toPoint());
    EXPECT_TRUE(close(pixel, DrivingEvent::kindColor(events[i].kind))) << std::hex << pixel;
    EXPECT_EQ(map.eventMarkAt(screenOf(events[i].longitude) + QPointF(3, 3), 9.0), i);
  }
  EXPECT_EQ(map.eventMarkAt(screenOf(139.67), 9.0), -1);

  // Chosen: its callout above it names the kind, the peak and the time.
  map.chooseEventMark(1);
  EXPECT_EQ(map.selectedEventMark(), 1);
  EXPECT_TRUE(MapVewController::calloutText(map.eventMarks()[1]).contains(QStringLiteral("08:01:02")));
  const QImage chosen = render();
  const QPointF above = screenOf(events[1].longitude) - QPointF(0, MapRenderer::kEventIconRadius + 14);
  EXPECT_NE(chosen.pixel(above.toPoint()), frame.pixel(above.toPoint()));

  // Hidden with the routes.
  map.routeVisibilityIsChanged();
  EXPECT_EQ(map.eventMarkAt(screenOf(events[0].longitude), 9.0), -1);
  const QRgb hidden = render().pixel((screenOf(events[0].longitude) + QPointF(-4, -3)).toPoint());
  EXPECT_FALSE(close(hidden, DrivingEvent::kindColor(events[0].kind))) << std::hex << hidden;
}

TEST(MapRendererTest, TownNamesOnTheBuiltInMapOnlyWhereTheyFit) {
  // Fewer, bigger towns the further out the view is.
  for (double zoom : {2.0, 5.0, 7.0, 9.0, 11.0, 14.0}) {
    EXPECT_GE(MapRenderer::minTownPopulation(zoom), MapRenderer::minTownPopulation(zoom + 2.0)) << zoom;
  }
  MapVewController map;
  map.viewport().setSize({400, 300});
  map.viewport().setZoom(9.0);
  map.viewport().centerOn({35.68, 139.76});
  const auto render = [&](bool withPlaces) {
    MapTileLayer tiles;
    MapRenderer renderer;
    if (withPlaces) renderer.setPlaces(PlaceNames::builtIn());
    QImage frame(400, 300, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::white);
    QPainter painter(&frame);
    renderer.draw(painter, map, tiles, 1.0);
    return frame;
  };
  const QImage plain = render(false);
  const QImage named = render(true);
  int changed = 0;
  for (int y = 0; y < plain.height(); ++y) {
    for (int x = 0; x < plain.width(); ++x) changed += plain.pixel(x, y) != named.pixel(x, y) ? 1 : 0;
  }
  EXPECT_GT(changed, 200);
  EXPECT_LT(changed, 400 * 300 / 4) << "labels are sparse";
}

}  // namespace
}  // namespace dashcard
