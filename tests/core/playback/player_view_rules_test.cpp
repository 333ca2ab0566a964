#include "core/playback/player_click_counter.h"
#include "core/playback/player_zoom_model.h"
#include "core/playback/rate_string_transformer.h"
#include "core/playback/zoom_player_split_layout.h"

#include "core/playback/playback_test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace dashcard {
namespace {

using Action = PlayerZoomModel::BottomPaneAction;
using Cursor = PlayerZoomModel::Cursor;

PlayerZoomModel model(double w = 800, double h = 450) {
  PlayerZoomModel m;
  m.setBounds(QSizeF(w, h));
  return m;
}

TEST(PlayerZoomModelTest, SegmentsShowTheQuartersAtTwo) {
  auto m = model();
  m.segmentDidChange(2);
  EXPECT_EQ(m.magnification(), 2.0);
  EXPECT_EQ(m.visibleRect(), QRectF(200, 112.5, 400, 225));
  const QPointF corners[] = {{0, 0}, {400, 0}, {0, 225}, {400, 225}};
  for (int s = 3; s <= 6; ++s) {
    m.segmentDidChange(s);
    EXPECT_EQ(m.origin(), corners[s - 3]) << s;
    EXPECT_EQ(m.selectedSegment(), s);
    EXPECT_EQ(m.lastSelectedSegment(), s);
    EXPECT_FALSE(m.isInitialPosition());
  }
  m.segmentDidChange(1);
  EXPECT_EQ(m.magnification(), 1.0);
  EXPECT_EQ(m.origin(), QPointF());
  EXPECT_TRUE(m.isInitialPosition());
}

TEST(PlayerZoomModelTest, SegmentZeroRestoresTheControlOnly) {
  auto m = model();
  m.segmentDidChange(4);
  const QRectF before = m.visibleRect();
  m.segmentDidChange(0);
  EXPECT_EQ(m.selectedSegment(), 4);
  EXPECT_EQ(m.lastSelectedSegment(), 4);
  EXPECT_EQ(m.visibleRect(), before);
  // A user scroll shows 0; choosing 0 afterwards keeps 0.
  m.scrollToPoint(QPointF(10, 10));
  m.didScroll(false);
  EXPECT_EQ(m.selectedSegment(), 0);
  m.segmentDidChange(0);
  EXPECT_EQ(m.selectedSegment(), 0);
  EXPECT_EQ(m.visibleRect().topLeft(), QPointF(10, 10));
}

TEST(PlayerZoomModelTest, PinchBelowTheSnapLimitSnapsBack) {
  auto m = model();
  m.setMagnification(3.0, QPointF(700, 400));
  m.didScroll(false);
  EXPECT_FALSE(m.isInitialPosition());
  EXPECT_EQ(m.selectedSegment(), 0);
  m.setMagnification(1.03, QPointF(700, 400));
  EXPECT_NE(m.origin(), QPointF());
  m.didScroll(false);
  EXPECT_EQ(m.magnification(), 1.0);
  EXPECT_EQ(m.origin(), QPointF());
  EXPECT_EQ(m.selectedSegment(), 1);
  EXPECT_EQ(m.lastSelectedSegment(), 1);
  EXPECT_TRUE(m.isInitialPosition());
  // Exactly at the limit it stays zoomed.
  m.setMagnification(1.05);
  m.didScroll(false);
  EXPECT_EQ(m.magnification(), 1.05);
  EXPECT_FALSE(m.isInitialPosition());
}

TEST(PlayerZoomModelTest, ScrollingIsClampedAndNonsenseIgnored) {
  auto m = model();
  m.scrollToPoint(QPointF(50, 50));
  EXPECT_EQ(m.origin(), QPointF());  // nothing to scroll at 1
  m.setMagnification(100.0);
  EXPECT_EQ(m.magnification(), PlayerZoomModel::kMaximumMagnification);
  m.setMagnification(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(m.magnification(), PlayerZoomModel::kMaximumMagnification);
  m.scrollToPoint(QPointF(-5, 1e9));
  EXPECT_EQ(m.origin(), QPointF(0, 450 - 450 / 8.0));
  m.setBounds(QSizeF(0, -3));  // a collapsed pane
  EXPECT_GT(m.bounds().width(), 0);
}

TEST(PlayerZoomModelTest, PanGestureThreshold) {
  EXPECT_EQ(PlayerZoomModel::bottomPaneActionForPanPoint({3, -40}), Action::Show);
  EXPECT_EQ(PlayerZoomModel::bottomPaneActionForPanPoint({30, -40}), Action::None);
  EXPECT_EQ(PlayerZoomModel::bottomPaneActionForPanPoint({-10, 40}), Action::Hide);
  EXPECT_EQ(PlayerZoomModel::bottomPaneActionForPanPoint({0, -10}), Action::None);
  EXPECT_EQ(PlayerZoomModel::bottomPaneActionForPanPoint({0, 10.5}), Action::Hide);
}

TEST(PlayerZoomModelTest, Cursors) {
  auto m = model(800, 450);
  EXPECT_EQ(m.cursorAt({10, 440}, false), Cursor::Arrow);
  EXPECT_EQ(m.cursorAt({10, 425}, false), Cursor::Crosshair);
  EXPECT_EQ(m.cursorAt({10, 10}, true), Cursor::Crosshair);
  m.segmentDidChange(3);
  EXPECT_EQ(m.cursorAt({10, 440}, false), Cursor::OpenHand);
  EXPECT_EQ(m.cursorAt({10, 440}, true), Cursor::ClosedHand);
}

TEST(ZoomPlayerSplitLayoutTest, DividerSnapsToTheMiddle) {
  // Middle of a 1001-point split with a 1-point divider: 500.
  EXPECT_EQ(ZoomPlayerSplitLayout::constrainSplitPosition(540, 1001, 1, true), 500);
  EXPECT_EQ(ZoomPlayerSplitLayout::constrainSplitPosition(460, 1001, 1, true), 500);
  EXPECT_EQ(ZoomPlayerSplitLayout::constrainSplitPosition(550, 1001, 1, true), 550);
  EXPECT_EQ(ZoomPlayerSplitLayout::constrainSplitPosition(100, 1001, 1, true), 100);
  EXPECT_EQ(ZoomPlayerSplitLayout::constrainSplitPosition(100, 1001, 1, false), 1001);
  EXPECT_EQ(ZoomPlayerSplitLayout::constrainSplitPosition(500, 1001, 1, false), 1001);
}

TEST(RateStringTransformerTest, Texts) {
  EXPECT_TRUE(RateStringTransformer::transformedValue(std::nullopt).isNull());
  EXPECT_EQ(RateStringTransformer::transformedValue(0.5), "x1/2");
  EXPECT_EQ(RateStringTransformer::transformedValue(0.0), "x0");
  EXPECT_EQ(RateStringTransformer::transformedValue(1.0), "x1");
  EXPECT_EQ(RateStringTransformer::transformedValue(16.0), "x16");
  EXPECT_EQ(RateStringTransformer::transformedValue(0.25), "x0.25");
}

struct ClickLog {
  explicit ClickLog(PlayerClickCounter& c) {
    QObject::connect(&c, &PlayerClickCounter::singleClick, [this] { ++single; });
    QObject::connect(&c, &PlayerClickCounter::doubleClick, [this] { ++twice; });
    QObject::connect(&c, &PlayerClickCounter::fullScreenControl, [this] { ++full; });
  }
  int single = 0, twice = 0, full = 0;
};

TEST(PlayerClickCounterTest, DoubleClickWaitsAndTripleClickCancelsIt) {
  PlayerClickCounter counter;
  ClickLog log(counter);
  counter.mouseUp(1);
  EXPECT_EQ(log.single, 1);
  counter.mouseUp(2);
  EXPECT_EQ(log.twice, 0);  // not yet
  EXPECT_TRUE(counter.doubleClickPending());
  ASSERT_TRUE(test::spinUntil([&] { return log.twice == 1; }));

  counter.mouseUp(1);
  counter.mouseUp(2);
  counter.mouseUp(3);
  EXPECT_FALSE(counter.doubleClickPending());
  // Nothing is pending, so no double click can come later.
  QCoreApplication::processEvents();
  EXPECT_EQ(log.twice, 1);
  EXPECT_EQ(log.full, 1);
  counter.mouseUp(4);
  counter.cancelOperation();
  EXPECT_EQ(log.full, 2);
  EXPECT_EQ(log.single, 2);
}

}  // namespace
}  // namespace dashcard
