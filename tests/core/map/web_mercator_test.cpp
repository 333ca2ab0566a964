#include "core/map/map_viewport.h"
#include "core/map/web_mercator.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace dashcard {
namespace {

TEST(WebMercatorTest, ProjectsKnownPointsAndTiles) {
  struct Case {
    MapCoordinate c;
    double x, y;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {{0.0, 0.0}, 0.5, 0.5},
      {{WebMercator::kMaxLatitude, -180.0}, 0.0, 0.0},
      {{89.9, 180.0}, 1.0, 0.0},     // clamped to the square world
      {{-90.0, 0.0}, 0.5, 1.0},
      {{0.0, 190.0}, 10.0 / 360.0, 0.5},  // wrapped over the antimeridian
      {{0.0, -540.0}, 0.0, 0.5},
  };
  for (const Case& k : cases) {
    const MapPoint p = WebMercator::project(k.c);
    EXPECT_NEAR(p.x, k.x, 1e-12) << k.c.latitude << "," << k.c.longitude;
    EXPECT_NEAR(p.y, k.y, 1e-12) << k.c.latitude << "," << k.c.longitude;
  }
  const MapCoordinate back = WebMercator::unproject(WebMercator::project({51.5, -0.12}));
  EXPECT_NEAR(back.latitude, 51.5, 1e-9);
  EXPECT_NEAR(back.longitude, -0.12, 1e-9);
  EXPECT_EQ(WebMercator::tileAt({51.5, -0.12}, 10), (TileId{10, 511, 340}));
  EXPECT_EQ(WebMercator::tileAt({-89.0, 180.0}, 3), (TileId{3, 7, 7}));
  EXPECT_EQ(WebMercator::wrappedColumn(-1, 2), 3);
  EXPECT_EQ(WebMercator::wrappedColumn(4, 2), 0);

  for (const MapCoordinate& bad : {MapCoordinate{91.0, 0.0}, MapCoordinate{0.0, 180.5},
                                   MapCoordinate{-999.0, -999.0}, MapCoordinate{nan, 0.0}}) {
    EXPECT_FALSE(WebMercator::isValidCoordinate(bad)) << bad.latitude << "," << bad.longitude;
  }
  EXPECT_TRUE(WebMercator::isValidCoordinate({-90.0, 180.0}));
}

void expectNear(const MapRect& a, const MapRect& b) {
  EXPECT_NEAR(a.x, b.x, 1e-12);
  EXPECT_NEAR(a.y, b.y, 1e-12);
  EXPECT_NEAR(a.width, b.width, 1e-12);
  EXPECT_NEAR(a.height, b.height, 1e-12);
}

TEST(WebMercatorTest, MapRectOperations) {
  const MapRect null = MapRect::null();
  const MapRect a{0.1, 0.1, 0.2, 0.2};
  const MapRect b{0.2, 0.2, 0.3, 0.1};
  const MapRect far{0.8, 0.8, 0.1, 0.1};
  EXPECT_TRUE(null.isNull());
  EXPECT_EQ(null.united(a), a);
  EXPECT_EQ(a.united(null), a);
  expectNear(a.united(b), {0.1, 0.1, 0.4, 0.2});
  EXPECT_TRUE(a.united(b).contains(b));
  EXPECT_FALSE(a.contains(b));
  EXPECT_FALSE(a.contains(null));
  EXPECT_FALSE(null.contains(a));
  EXPECT_TRUE(a.intersects(b));
  EXPECT_FALSE(a.intersects(far));
  EXPECT_FALSE(a.intersects(null));
  expectNear(a.adjusted(0.05, 0.1), {0.05, 0.0, 0.3, 0.4});
  EXPECT_TRUE(WebMercator::boundingRect({}).isNull());
}

TEST(WebMercatorTest, ViewportFitsWithPaddingAndZoomsAboutThePointer) {
  MapViewport v;
  v.setSize({800, 600});
  const MapRect r = WebMercator::boundingRect({{35.6, 139.6}, {35.7, 139.8}});
  v.setVisibleMapRect(r, 50.0);
  const QPointF tl = v.toScreen({r.x, r.y});
  const QPointF br = v.toScreen({r.maxX(), r.maxY()});
  EXPECT_NEAR(std::min({tl.x(), tl.y(), 800 - br.x(), 600 - br.y()}), 50.0, 1e-6);
  EXPECT_GE(std::min({tl.x(), tl.y(), 800 - br.x(), 600 - br.y()}), 50.0 - 1e-6);

  const QPointF pointer(123, 456);
  const MapPoint under = v.toMap(pointer);
  v.zoomAbout(pointer, v.zoom() + 1.5);
  const QPointF again = v.toScreen(under);
  EXPECT_NEAR(again.x(), pointer.x(), 1e-6);
  EXPECT_NEAR(again.y(), pointer.y(), 1e-6);

  // The world repeats sideways but stops at its top and bottom.
  v.setZoom(3.0);
  v.setCenter({1.25, -3.0});
  EXPECT_NEAR(v.center().x, 0.25, 1e-12);
  EXPECT_NEAR(v.visibleMapRect().y, 0.0, 1e-12);
  v.setZoom(0.0);  // the whole world fits: centred
  EXPECT_NEAR(v.center().y, 0.5, 1e-12);
}

// The projection against GDAL's EPSG:4326 -> EPSG:3857 on a few hundred points.
TEST(WebMercatorTest, AgreesWithGdalToAMillimetre) {
  const QString gdal = QStandardPaths::findExecutable(QStringLiteral("gdaltransform"));
  ASSERT_FALSE(gdal.isEmpty()) << "gdaltransform is missing (gdal-bin): run scripts/install-deps.sh";
  QList<MapCoordinate> points;
  QByteArray input;
  for (int i = 0; i < 300; ++i) {
    const MapCoordinate c{-85.0 + 170.0 * std::fmod(i * 0.618033988749895, 1.0),
                          -180.0 + 360.0 * std::fmod(i * 0.414213562373095, 1.0)};
    points.append(c);
    input += QByteArray::number(c.longitude, 'f', 12) + ' ' + QByteArray::number(c.latitude, 'f', 12) + '\n';
  }
  QProcess process;
  process.start(gdal, {QStringLiteral("-s_srs"), QStringLiteral("EPSG:4326"), QStringLiteral("-t_srs"),
                       QStringLiteral("EPSG:3857")});
  ASSERT_TRUE(process.waitForStarted());
  process.write(input);
  process.closeWriteChannel();
  ASSERT_TRUE(process.waitForFinished(60000));
  const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
  ASSERT_EQ(lines.size(), points.size()) << process.readAllStandardError().constData();
  for (int i = 0; i < points.size(); ++i) {
    const QList<QByteArray> xyz = lines[i].simplified().split(' ');
    ASSERT_GE(xyz.size(), 2);
    const QPointF ours = WebMercator::projectedMetres(points[i]);
    EXPECT_NEAR(ours.x(), xyz[0].toDouble(), 1e-3) << i;
    EXPECT_NEAR(ours.y(), xyz[1].toDouble(), 1e-3) << i;
  }
}

}  // namespace
}  // namespace dashcard
