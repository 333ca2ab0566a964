#include "core/map/map_vew_controller.h"
#include "core/catalogue/recording_catalogue.h"
#include "core/map/custom_point_annotation_image.h"
#include "core/map/web_mercator.h"
#include "core/media/dcf_async_parser.h"
#include "core/playback/playback_fakes.h"
#include "core/telemetry/nmea_data.h"
#include "support/temp_card.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using namespace std::chrono_literals;

TelemetryMoment momentOf(const DCFInfoPtr& info, double seconds, double duration) {
  return TelemetryMoment::at(info->nmea().get(), seconds, duration);
}

// Five one-minute recordings of one drive (the fourth an event, the fifth a
// parking recording) with their lines and markers as the parser makes them,
// and a map whose clock the test moves, observing the card's catalogue.
class MapVewControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& card = test::sharedCard(5, 60, false);
    ASSERT_TRUE(card.ok()) << card.error().toStdString();
    for (const SampleClip& clip : card.clips()) infos.append(std::make_shared<DCFInfo>(card.root(), clip.frontPath));
    for (qsizetype i = 0; i < infos.size(); ++i) {
      infos[i]->setRouteLine({DCFAsyncParser::polylineForDCFInfos(infos, i)});
      infos[i]->setAnnotation({DCFAsyncParser::annotationForDCFInfo(infos[i])});
    }
    map.viewport().setSize({800, 600});
    map.setClock([this] { return now; });
    map.observe(&catalogue);
    catalogue.setMediaInfoWithRootPath(card.root(), infos, {});
  }
  // The background walk hands a recording over.
  void deliver(const DCFInfoPtr& info) { catalogue.walkDidRead(info); }
  void deliverAll() {
    for (const auto& info : infos) deliver(info);
  }
  static CustomLocation at(double lat, double lon, double speed, double course) {
    CustomLocation l(lat, lon);
    l.speed = speed;
    l.course = course;
    return l;
  }

  DCFInfoList infos;
  RecordingCatalogue catalogue;
  MapVewController map;
  std::chrono::steady_clock::time_point now{10s};
};

TEST_F(MapVewControllerTest, FirstDeliveredLineDecidesTheViewOnce) {
  for (int i : {1, 2, 0}) deliver(infos[i]);
  MapViewport expected;
  expected.setSize({800, 600});
  const MapRect b = WebMercator::boundingRect(infos[1]->routeLine().first()->coordinates());
  expected.setVisibleMapRect(b, 50.0);
  EXPECT_EQ(map.viewport(), expected);
  const QPointF tl = map.viewport().toScreen({b.x, b.y});
  const QPointF br = map.viewport().toScreen({b.maxX(), b.maxY()});
  EXPECT_NEAR(std::min({tl.x(), tl.y(), 800 - br.x(), 600 - br.y()}), 50.0, 1e-6);
  EXPECT_EQ(map.mapOverlays().size(), 3);
  // Delivered twice, kept once.
  deliver(infos[1]);
  EXPECT_EQ(map.mapOverlays().size(), 3);
  EXPECT_EQ(map.fileAnnotations().size(), 3);
  // The walk's end draws every recording's line anew, once each.
  catalogue.walkDidEnd();
  catalogue.walkDidEnd();
  EXPECT_EQ(map.mapOverlays().size(), infos.size());
  // A new catalogue zooms again.
  catalogue.setMediaInfoWithRootPath(infos.first()->rootPath(), infos, {});
  EXPECT_FALSE(map.didFocus());
  EXPECT_TRUE(map.mapOverlays().isEmpty());
  // A picture shown alone centres the map on it.
  auto picture = std::make_shared<PictureInfo>(infos.first()->rootPath(), QStringLiteral("PICTURE/240101000000.JPG"),
                                               CustomLocation(35.0, 139.0));
  catalogue.updateCurrentDCF(nullptr, RecordingCatalogue::kMediaListNormal, picture);
  ASSERT_TRUE(map.userLocation());
  EXPECT_EQ(map.userLocation()->coordinate, (MapCoordinate{35.0, 139.0}));
}

TEST_F(MapVewControllerTest, PlaybackMovesTheMarkerToTheGroupOfTheMoment) {
  deliverAll();
  const DCFInfoPtr& info = infos[0];
  const GOPList groups = info->nmea()->GOPs();
  ASSERT_EQ(groups.size(), 60U);
  map.updateDCF(info, momentOf(info, 30.0, 60.0));
  ASSERT_TRUE(map.userLocation());
  const CustomLocation& g30 = groups[30].location();
  EXPECT_EQ(map.userLocation()->coordinate, (MapCoordinate{g30.latitude, g30.longitude}));
  const auto marker = map.userLocation();
  now += 200ms;  // throttled
  map.updateDCF(info, momentOf(info, 10.0, 60.0));
  EXPECT_EQ(map.userLocation(), marker);
  now += 1s;  // k = 60: no group, nothing changes
  map.updateDCF(info, momentOf(info, 60.0, 60.0));
  EXPECT_EQ(map.userLocation(), marker);
  now += 1s;
  map.updateDCF(info, momentOf(info, 0.0, 0.0));
  EXPECT_EQ(map.userLocation(), marker);
}

TEST_F(MapVewControllerTest, UnknownSpeedAndCourseKeepThePreviousMarkersAndTheImageTurns) {
  deliverAll();
  map.upDateWithCenterLocation(at(35.0, 139.0, 12.5, 45.0));
  map.upDateWithCenterLocation(at(35.001, 139.0, -1.0, -1.0));
  EXPECT_FLOAT_EQ(map.userLocation()->speed, 12.5F);
  EXPECT_DOUBLE_EQ(map.userLocation()->direction, 45.0);
  const auto marker = map.userLocation();
  map.upDateWithCenterLocation(at(35.001, 139.0, 3.0, 10.0));  // same place and flag
  EXPECT_EQ(map.userLocation(), marker);
  map.updateUserLocation(CustomLocation::placeholder(), true);  // no fix
  EXPECT_EQ(map.userLocation(), marker);

  // The arrow points north at course 0 and east at course 90 (the image
  // turned to 270 degrees).
  map.upDateWithCenterLocation(at(35.002, 139.0, 3.0, 0.0));
  const QImage north = annotationImage(*map.userLocation());
  map.upDateWithCenterLocation(at(35.003, 139.0, 3.0, 90.0));
  EXPECT_EQ(annotationImageName(*map.userLocation()), QStringLiteral("CurrentPos_Gmap"));
  const QImage east = annotationImage(*map.userLocation());
  ASSERT_EQ(east.size(), north.size());
  const auto whiteness = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); };
  const int c = north.width() / 2;
  EXPECT_GT(whiteness(north, c, c - 5), 230);  // tip above the centre
  EXPECT_LT(whiteness(east, c, c - 5), 200);
  EXPECT_GT(whiteness(east, c + 5, c), 230);  // now right of it
}

TEST_F(MapVewControllerTest, PointerOverTheMapStopsFollowing) {
  deliverAll();
  map.upDateWithCenterLocation(at(35.0, 139.0, 1.0, 0.0));
  EXPECT_NEAR(map.viewport().center().x, WebMercator::project({35.0, 139.0}).x, 1e-12);
  map.setMouseIsOver(true);
  const MapPoint before = map.viewport().center();
  map.upDateWithCenterLocation(at(35.2, 139.3, 1.0, 0.0));
  EXPECT_EQ(map.userLocation()->coordinate, (MapCoordinate{35.2, 139.3}));
  EXPECT_EQ(map.viewport().center(), before);
}

// Lines that arrive while routes are hidden (the walk's last step) stay
// hidden, as the unchecked item says, and show when it is checked again.
TEST_F(MapVewControllerTest, RouteItemOffHidesLinesThatArriveLater) {
  deliverAll();
  map.triggerMenuItem(MapVewController::kRouteItem);
  EXPECT_FALSE(map.menuItemState(MapVewController::kRouteItem));
  ASSERT_FALSE(map.mapOverlays().isEmpty());
  for (const auto& line : map.mapOverlays()) EXPECT_EQ(map.strokeColor(line.get()).alpha(), 0);
  for (const auto& info : infos) map.upDateOverlayLines(info->routeLine());
  for (const auto& line : map.mapOverlays()) EXPECT_EQ(map.strokeColor(line.get()).alpha(), 0);
  map.triggerMenuItem(MapVewController::kRouteItem);
  for (const auto& line : map.mapOverlays()) EXPECT_EQ(map.strokeColor(line.get()), QColor(0, 0, 255));
}

TEST_F(MapVewControllerTest, VisibilityItemsAndValidation) {
  deliverAll();
  const auto count = [this] { return map.mapAnnotations().size(); };
  EXPECT_EQ(count(), 5);
  map.triggerMenuItem(MapVewController::kEventItem);
  EXPECT_EQ(count(), 3);
  map.triggerMenuItem(MapVewController::kFileItem);
  EXPECT_EQ(count(), 0);
  map.triggerMenuItem(MapVewController::kEventItem);
  EXPECT_EQ(count(), 2);
  map.upDateWithCenterLocation(at(35.0, 139.0, 1.0, 0.0));
  map.triggerMenuItem(MapVewController::kUserLocationItem);
  EXPECT_FALSE(map.userLocationIsOnMap());
  map.triggerMenuItem(MapVewController::kUserLocationItem);
  EXPECT_TRUE(map.userLocationIsOnMap());

  map.reloadDCFInfo({});
  EXPECT_FALSE(map.validateMenuItem(MapVewController::kTraceItem));
  EXPECT_FALSE(map.validateMenuItem(MapVewController::kRouteItem));
}

TEST_F(MapVewControllerTest, TraceItemFocusesRoutesOrCentresOnTheCar) {
  deliverAll();
  const MapRect routes = MapVewController::totalMapRect(map.mapOverlays());
  const MapCoordinate car{35.0, 139.0};
  map.setMouseIsOver(true);  // keep the view where each case puts it
  map.upDateWithCenterLocation(at(car.latitude, car.longitude, 1.0, 0.0));
  struct Case {
    const char* name;
    std::function<void(MapViewport&)> view;
    bool focusesRoutes;
  };
  const Case cases[] = {
      {"routes inside a larger view", [&](MapViewport& v) { v.setVisibleMapRect(routes, 200); }, true},
      {"view inside the routes", [&](MapViewport& v) {
         v.setCenter(routes.center());
         v.setZoom(19);
       }, false},
      {"routes elsewhere", [&](MapViewport& v) {
         v.centerOn({-40.0, -60.0});
         v.setZoom(12);
       }, true},
  };
  for (const Case& k : cases) {
    k.view(map.viewport());
    map.triggerMenuItem(MapVewController::kTraceItem);
    const MapPoint c = map.viewport().center();
    if (k.focusesRoutes) {
      EXPECT_NEAR(c.x, routes.center().x, 1e-9) << k.name;
      EXPECT_TRUE(map.viewport().visibleMapRect().contains(routes)) << k.name;
    } else {
      EXPECT_NEAR(c.x, WebMercator::project(car).x, 1e-9) << k.name;
    }
  }
}

TEST_F(MapVewControllerTest, CalloutAndRouteClickSelectTheRecording) {
  MediaController controller;
  test::FakeTabs tabs;
  test::FakeList files(&controller, RecordingCatalogue::kMediaListNormal);
  test::FakeList events(&controller, RecordingCatalogue::kMediaListEvent);
  test::FakePlayer player;
  test::showLists(controller, tabs, files, events);
  controller.setPlayerVC(&player);
  controller.observeMap(&map);
  deliverAll();

  const DCFInfoPtr parking = infos[4];
  ASSERT_EQ(annotationReuseIdentifier(*parking->annotation().first()), QStringLiteral("parking"));
  map.selectAnnotation(parking->annotation().first());
  ASSERT_TRUE(map.annotationIsSelected());
  map.annotationSelected();
  EXPECT_EQ(tabs.index, 1);
  EXPECT_EQ(events.selected, DCFInfoList{parking});
  EXPECT_FALSE(map.annotationIsSelected());

  // A click on the second recording's line at its 20th fix: selected in the
  // file list, and both players seek there at its first tick.
  tabs.index = 1;
  const DCFInfoPtr second = infos[1];
  const MapCoordinate fix = second->routeLine().first()->coordinates().at(20);
  map.viewport().centerOn(fix);
  map.viewport().setZoom(18);
  EXPECT_FALSE(map.selectRouteAt(map.viewport().toScreen(WebMercator::project(fix)) + QPointF(40, 40), 8.0));
  ASSERT_TRUE(map.selectRouteAt(map.viewport().toScreen(WebMercator::project(fix)) + QPointF(2, 1), 8.0));
  EXPECT_EQ(tabs.index, 0);
  EXPECT_EQ(files.selected, DCFInfoList{second});
  files.select(second);  // the list makes it current
  map.updateDCF(second, momentOf(second, 0.0, 60.0));
  ASSERT_FALSE(player.seeks.isEmpty());
  EXPECT_EQ(int(player.seeks.last() * 60), 20);
}

TEST_F(MapVewControllerTest, RecordingWithoutAFixGetsNoMarker) {
  QTemporaryDir dir;
  const QString video = infos[0]->deltaPath();
  QDir(dir.path()).mkpath(QFileInfo(video).path());
  ASSERT_TRUE(QFile::copy(infos[0]->filePath(), dir.filePath(video)));
  auto lost = std::make_shared<DCFInfo>(dir.path(), video);
  DCFInfoList withLost = infos;
  withLost.append(lost);
  lost->setRouteLine({DCFAsyncParser::polylineForDCFInfos(withLost, withLost.size() - 1)});
  lost->setAnnotation({DCFAsyncParser::annotationForDCFInfo(lost)});
  map.reloadDCFInfo(withLost);
  deliver(lost);
  EXPECT_FALSE(map.didFocus());
  EXPECT_EQ(map.fileAnnotations().size(), 1);  // kept in the lists
  EXPECT_TRUE(map.mapAnnotations().isEmpty());  // but not drawn off Africa
  map.triggerMenuItem(MapVewController::kFileItem);
  map.triggerMenuItem(MapVewController::kFileItem);
  EXPECT_TRUE(map.mapAnnotations().isEmpty());
}

}  // namespace
}  // namespace dashcard
