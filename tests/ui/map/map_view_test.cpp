#include "core/map/web_mercator.h"
#include "core/media/dcf_async_parser.h"
#include "core/playback/playback_fakes.h"
#include "core/telemetry/nmea_data.h"
#include "support/temp_card.h"
#include "ui/map/custom_map_callout_view.h"
#include "ui/map/map_view.h"

#include <QEnterEvent>
#include <QAction>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

class MapViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    map = view.controller();
    map->viewport().centerOn({35.6, 139.7});
    map->viewport().setZoom(12);
  }
  MapView view;
  MapVewController* map = nullptr;
};

TEST_F(MapViewTest, WheelDragAndDoubleClickMoveTheMapAboutThePointer) {
  const QPoint pointer(300, 80);
  const MapPoint under = map->viewport().toMap(pointer);
  QWheelEvent wheel(pointer, view.mapToGlobal(pointer), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&view, &wheel);
  EXPECT_DOUBLE_EQ(map->viewport().zoom(), 13.0);
  EXPECT_NEAR(map->viewport().toScreen(under).x(), pointer.x(), 1e-6);

  QTest::mouseDClick(&view, Qt::LeftButton, {}, pointer);
  EXPECT_DOUBLE_EQ(map->viewport().zoom(), 14.0);
  EXPECT_NEAR(map->viewport().toScreen(under).y(), pointer.y(), 1e-6);

  const MapPoint center = map->viewport().center();
  QTest::mousePress(&view, Qt::LeftButton, {}, {100, 100});
  QTest::mouseMove(&view, {130, 110});
  QTest::mouseMove(&view, {160, 120});
  QTest::mouseRelease(&view, Qt::LeftButton, {}, {160, 120});
  const double pixels = map->viewport().worldPixels();
  EXPECT_NEAR((center.x - map->viewport().center().x) * pixels, 60.0, 1e-6);
  EXPECT_NEAR((center.y - map->viewport().center().y) * pixels, 20.0, 1e-6);
}

TEST_F(MapViewTest, ColourRouteBySpeedIsOffByDefaultAndRemembered) {
  QSettings().remove(QLatin1String(MapView::kSpeedColourKey));
  MapView first;
  ASSERT_NE(first.speedColourAction(), nullptr);
  EXPECT_FALSE(first.speedColourAction()->isChecked());
  EXPECT_FALSE(first.controller()->colorRouteBySpeed());
  first.speedColourAction()->trigger();
  EXPECT_TRUE(first.controller()->colorRouteBySpeed());
  MapView second;  // the next window, or the next run
  EXPECT_TRUE(second.speedColourAction()->isChecked());
  EXPECT_TRUE(second.controller()->colorRouteBySpeed());
  second.speedColourAction()->trigger();
  EXPECT_FALSE(MapView().controller()->colorRouteBySpeed());
}

TEST_F(MapViewTest, PointerOverTheMapIsTheCustomViewState) {
  QEnterEvent enter({10, 10}, {10, 10}, view.mapToGlobal(QPointF(10, 10)));
  QCoreApplication::sendEvent(&view, &enter);
  EXPECT_TRUE(map->mouseIsOver());
  EXPECT_FALSE(map->traseUserLocation());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&view, &leave);
  EXPECT_TRUE(map->traseUserLocation());
}

TEST_F(MapViewTest, MarkerClickOpensTheCalloutWhoseButtonPlaysTheRecording) {
  const auto& card = test::sharedCard(5, 60, false);
  ASSERT_TRUE(card.ok());
  DCFInfoList infos;
  for (const SampleClip& clip : card.clips()) infos.append(std::make_shared<DCFInfo>(card.root(), clip.frontPath));
  const DCFInfoPtr parking = infos.last();
  parking->nmea()->setup();
  parking->setAnnotation({DCFAsyncParser::annotationForDCFInfo(parking)});
  MediaController controller;
  test::FakeTabs tabs;
  test::FakeList files(&controller, RecordingCatalogue::kMediaListNormal);
  test::FakeList events(&controller, RecordingCatalogue::kMediaListEvent);
  test::showLists(controller, tabs, files, events);
  controller.observeMap(map);
  map->reloadDCFInfo(infos);
  map->addAnnotations(parking->annotation());
  const auto marker = parking->annotation().first();
  map->viewport().centerOn(marker->coordinate);

  // The parking pin stands on its point: click a little above it.
  const QPoint pin = map->viewport().toScreen(WebMercator::project(marker->coordinate)).toPoint() - QPoint(0, 15);
  QTest::mouseClick(&view, Qt::LeftButton, {}, pin);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.calloutView()->isVisible(); }));
  EXPECT_EQ(map->selectedAnnotation(), marker);
  view.calloutView()->calloutActionButton()->click();
  EXPECT_EQ(tabs.index, 1);
  EXPECT_EQ(events.selected, DCFInfoList{parking});
  EXPECT_FALSE(view.calloutView()->isVisible());
}

}  // namespace
}  // namespace dashcard
