// The route map: a full redraw at 1280x800 with the routes of 1000
// one-minute recordings while panning, a built-in map tile drawn, a cached
// tile drawn, and the projection (against gdaltransform in bench-map).
#include "core/catalogue/place_names.h"
#include "core/map/map_renderer.h"
#include "core/map/map_tile_layer.h"
#include "core/map/map_vew_controller.h"
#include "core/map/web_mercator.h"
#include "core/map/world_map_data.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace dashcard {
namespace {

// 1000 drives of 60 fixes around one city, one line each.
MapVewController::PolylineList routes() {
  QRandomGenerator rng(7);
  MapVewController::PolylineList lines;
  for (int r = 0; r < 1000; ++r) {
    QList<MapCoordinate> points;
    QList<float> speeds;
    float speed = float(rng.generateDouble() * 30.0);
    double lat = 35.55 + rng.generateDouble() * 0.3;
    double lon = 139.5 + rng.generateDouble() * 0.4;
    double heading = rng.generateDouble() * 6.283;
    for (int i = 0; i < 60; ++i) {
      heading += (rng.generateDouble() - 0.5) * 0.4;
      lat += std::cos(heading) * 0.00015;
      lon += std::sin(heading) * 0.00018;
      points.append({lat, lon});
      speed = std::clamp(speed + float(rng.generateDouble() - 0.5) * 3.0F, 0.0F, 40.0F);
      speeds.append(speed);
    }
    lines.append(std::make_shared<CustomMapPolyline>(points, speeds, QColor(0, 0, 255)));
  }
  return lines;
}

// Draws until every tile in view is held, so a frame measures drawing only.
void warm(MapRenderer& renderer, MapVewController& map, MapTileLayer& tiles, QImage& frame) {
  QElapsedTimer timer;
  timer.start();
  int stable = 0;
  while (stable < 3 && timer.elapsed() < 60000) {
    const int before = tiles.cachedTileCount();
    QPainter painter(&frame);
    renderer.draw(painter, map, tiles, 1.0);
    painter.end();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    stable = tiles.cachedTileCount() == before ? stable + 1 : 0;
  }
}

// state.range(0): 1 colours the routes by speed. state.range(1): 1 draws
// the whole route picture again every frame (a zoom step or a new line),
// 0 pans as a user drags.
void redraw(benchmark::State& state, bool townNames) {
  const bool bySpeed = state.range(0) != 0;
  const bool everyFrame = state.range(1) != 0;
  MapVewController map;
  map.setColorRouteBySpeed(bySpeed);
  map.viewport().setSize({1280, 800});
  map.addRouteOverlayLines(routes());
  map.focusMapRect(MapVewController::totalMapRect(map.mapOverlays()), false);
  MapTileLayer tiles;
  MapRenderer renderer;
  if (townNames) renderer.setPlaces(PlaceNames::builtIn());
  QImage frame(1280, 800, QImage::Format_ARGB32_Premultiplied);
  // Warm the tiles of the whole panning range: 600 pixels each way, so the
  // route picture is drawn again now and then, as while a user drags.
  const MapPoint start = map.viewport().center();
  for (int step = -200; step <= 200; step += 50) {
    map.viewport().setCenter(start);
    map.viewport().panBy({double(step) * 3, double(step) * 2});
    warm(renderer, map, tiles, frame);
  }
  map.viewport().setCenter(start);
  int i = 0;
  for (auto _ : state) {
    const int phase = (i++ % 400) < 200 ? 1 : -1;
    map.viewport().panBy({3.0 * phase, 2.0 * phase});
    if (everyFrame) {
      map.setColorRouteBySpeed(!bySpeed);
      map.setColorRouteBySpeed(bySpeed);
    }
    QPainter painter(&frame);
    renderer.draw(painter, map, tiles, 1.0);
  }
  state.counters["fixes"] = 60000;
  state.counters["cache_kib"] = tiles.cacheCostKiB();
}

void BM_RedrawWhilePanning(benchmark::State& state) { redraw(state, false); }
// The same with the built-in map's town names (drawn with the route picture).
void BM_RedrawWithTownNames(benchmark::State& state) { redraw(state, true); }
BENCHMARK(BM_RedrawWithTownNames)->Args({0, 0})->Args({0, 1})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RedrawWhilePanning)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

void BM_BuiltInTile(benchmark::State& state) {
  const auto world = WorldMapData::builtIn();
  // Tiles of a coast at several zooms, the finer data from zoom 5 on.
  const MapCoordinate tokyo{35.6, 139.8};
  int z = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(world->renderTile(WebMercator::tileAt(tokyo, z)));
    z = (z + 1) % 13;
  }
}
BENCHMARK(BM_BuiltInTile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CachedTile(benchmark::State& state) {
  MapViewport view;
  view.setSize({256, 256});
  view.setZoom(0);
  MapTileLayer tiles;
  QImage frame(256, 256, QImage::Format_ARGB32_Premultiplied);
  QElapsedTimer timer;
  timer.start();
  while (tiles.cachedTileCount() == 0 && timer.elapsed() < 60000) {
    QPainter painter(&frame);
    tiles.draw(painter, view, 1.0);
    painter.end();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  for (auto _ : state) {
    QPainter painter(&frame);
    tiles.draw(painter, view, 1.0);
  }
}
BENCHMARK(BM_CachedTile)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void BM_Projection(benchmark::State& state) {
  double sum = 0.0;
  std::int64_t n = 0;
  for (auto _ : state) {
    const double lat = -80.0 + double(n % 1600) * 0.1;
    const double lon = -179.0 + double(n % 3580) * 0.1;
    const QPointF p = WebMercator::projectedMetres({lat, lon});
    sum += p.x() + p.y();
    ++n;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(n);
}
BENCHMARK(BM_Projection);

}  // namespace
}  // namespace dashcard

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
