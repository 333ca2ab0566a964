#include "ui/playback/zoom_player_view_controller.h"

#include "core/common/notification_center.h"
#include "core/playback/playback_test_support.h"
#include "support/temp_card.h"
#include "ui/playback/player_inline_controls.h"
#include "ui/playback/player_scroll_view.h"
#include "ui/playback/zoom_player_split_view_controller.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QSplitter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::waitUntil;

using test::headless;
using test::clipPath;

struct Pane {
  Pane() : view(headless()) {
    view.resize(640, 400);
    view.show();
  }
  bool load(int clip) {
    started = 0;
    view.playWithPath(clipPath(clip), [this] { ++started; }, {}, {});
    return waitUntil([this] { return started > 0; });
  }
  ZoomPlayerViewController view;
  int started = 0;
};

TEST(ZoomPlayerViewControllerTest, SnapshotIsTheExactFrameMirroredWhenThePlayerIs) {
  ASSERT_TRUE(test::sharedCard().ok());
  Pane pane;
  ASSERT_TRUE(pane.load(2));
  pane.view.setCurrentProgress(0.5F);  // 1.5 s of 3: frame 45
  ASSERT_TRUE(waitUntil([&] { return !pane.view.engine().player()->grabFrame().isNull(); }));
  test::spin(100);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("snap shot ü.png"));
  QString error;
  ASSERT_TRUE(pane.view.writeSnapshot(path, &error)) << error.toStdString();
  const QImage written(path);
  ASSERT_EQ(written.size(), QSize(320, 180));
  const QImage expected = test::ffmpegFrame(clipPath(2), 1.5, written.size());
  const QImage neighbour = test::ffmpegFrame(clipPath(2), 1.5 + 1.0 / 30.0, written.size());
  const double same = test::meanDifference(written, expected);
  EXPECT_LT(same, 6.0);
  EXPECT_LT(same, test::meanDifference(written, neighbour));

  pane.view.setMirror(true);
  const QString mirroredPath = dir.filePath(QStringLiteral("mirrored.png"));
  ASSERT_TRUE(pane.view.writeSnapshot(mirroredPath, &error)) << error.toStdString();
  const QImage mirrored(mirroredPath);
  EXPECT_LT(test::meanDifference(mirrored, expected.mirrored(true, false)), 6.0);
  EXPECT_GT(test::meanDifference(mirrored, expected), 10.0);

  // Zoomed: the visible area of the view.
  pane.view.setMirror(false);
  pane.view.segmentDidChange(3);
  EXPECT_EQ(pane.view.snapshotImage().size(), pane.view.playerScrollView()->size());
  // An unknown extension writes nothing.
  EXPECT_FALSE(pane.view.writeSnapshot(dir.filePath(QStringLiteral("x.gif")), &error));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.gif"))));
}

TEST(ZoomPlayerViewControllerTest, ClicksToggleAfterTheDelayAndTripleClickPostsOnce) {
  Pane pane;
  ASSERT_TRUE(pane.load(0));
  PlayerScrollView* scroll = pane.view.playerScrollView();
  int posted = 0;
  auto connection = QObject::connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notification,
                                     [&](const QString& name, QObject* object, const QVariant&) {
                                       if (name == QLatin1String("PlayerScrollViewDetectTripleTapNotification") &&
                                           object == scroll) {
                                         ++posted;
                                       }
                                     });
  const QPointF middle(100, 100);
  scroll->mouseUpWithClickCount(middle, 1);
  scroll->mouseUpWithClickCount(middle, 2);
  EXPECT_FALSE(pane.view.isPlaying());  // not before 0.25 s
  ASSERT_TRUE(waitUntil([&] { return pane.view.isPlaying(); }));
  // A third click within the delay: no toggle, one notification.
  scroll->mouseUpWithClickCount(middle, 1);
  scroll->mouseUpWithClickCount(middle, 2);
  scroll->mouseUpWithClickCount(middle, 3);
  test::spin(400);
  EXPECT_TRUE(pane.view.isPlaying());
  EXPECT_EQ(posted, 1);
  // Clicks on the control bar strip are not the view's.
  const QPointF bar(100, scroll->height() - 5);
  scroll->mouseUpWithClickCount(bar, 2);
  scroll->mouseUpWithClickCount(bar, 3);
  test::spin(400);
  EXPECT_TRUE(pane.view.isPlaying());
  EXPECT_EQ(posted, 1);
  QObject::disconnect(connection);
}

TEST(ZoomPlayerViewControllerTest, ZoomSegmentsSnapBackAndPanGesture) {
  Pane pane;
  ASSERT_TRUE(pane.load(1));
  PlayerScrollView* scroll = pane.view.playerScrollView();
  pane.view.segmentDidChange(4);
  EXPECT_EQ(scroll->zoom().magnification(), 2.0);
  EXPECT_FALSE(pane.view.isInitialPosition());
  EXPECT_FALSE(pane.view.controlsVisible());
  EXPECT_EQ(pane.view.engine().player()->mpvProperty("video-zoom").toDouble(), 1.0);  // log2 of 2
  pane.view.segmentDidChange(0);
  EXPECT_EQ(pane.view.selectedSegment(), 4);
  EXPECT_EQ(scroll->zoom().magnification(), 2.0);
  // A pinch ending at 1.03 snaps back and selects segment 1.
  scroll->magnify(1.03 / 2.0, QPointF(10, 10));
  EXPECT_EQ(scroll->zoom().magnification(), 1.0);
  EXPECT_EQ(pane.view.selectedSegment(), 1);
  EXPECT_TRUE(pane.view.segmentFocusControl()->button(1)->isChecked());

  int shown = 0, hidden = 0;
  QObject::connect(&pane.view, &ZoomPlayerViewController::showBottomBarRequested, [&] { ++shown; });
  QObject::connect(&pane.view, &ZoomPlayerViewController::hideBottomBarRequested, [&] { ++hidden; });
  // At magnification 1 the scroll point is minus the drag, y up: dragging up
  // 40 points and 3 to the left gives (3, -40).
  scroll->panBegan();
  scroll->panChanged(QPointF(-3, -40));
  EXPECT_EQ(shown, 1);
  scroll->panChanged(QPointF(-30, -40));
  EXPECT_EQ(shown, 1);
  scroll->panChanged(QPointF(0, 40));
  EXPECT_EQ(hidden, 1);
  scroll->panEnded();
  EXPECT_FALSE(scroll->mouseIsDown());
}

TEST(ZoomPlayerViewControllerTest, OnlyThePrimaryHasInlineControlsAndKeepsThemAfterAReset) {
  Pane front;
  front.view.becomePrimaryPlayer();
  ASSERT_TRUE(front.load(1));
  PlayerInlineControls* controls = front.view.inlineControls();
  EXPECT_TRUE(controls->isVisibleTo(&front.view));
  EXPECT_TRUE(waitUntil([&] { return controls->lengthLabel()->text() == "0:03"; }));

  const bool playing = front.view.isPlaying();
  controls->playPauseButton()->click();
  EXPECT_TRUE(waitUntil([&] { return front.view.isPlaying() != playing; }));
  // Held, the scrubber seeks and the player stands still.
  controls->scrubber()->setSliderDown(true);
  controls->scrubber()->setValue(controls->scrubber()->maximum() / 2);
  EXPECT_TRUE(waitUntil([&] { return !front.view.isPlaying() && std::abs(front.view.progress() - 0.5f) < 0.05f; }));
  controls->scrubber()->setSliderDown(false);

  front.view.segmentDidChange(2);  // zoomed: no controls over the picture
  EXPECT_FALSE(controls->isVisibleTo(&front.view));
  front.view.resetZoomPlayerView();
  EXPECT_EQ(front.view.style(), 1);
  EXPECT_TRUE(controls->isVisibleTo(&front.view));

  Pane rear;
  ASSERT_TRUE(rear.load(1));
  EXPECT_EQ(rear.view.style(), 0);
  EXPECT_FALSE(rear.view.inlineControls()->isVisibleTo(&rear.view));
}

TEST(ZoomPlayerViewControllerTest, RateButtonCyclesWithTheWindowsCeiling) {
  Pane pane;
  pane.view.becomePrimaryPlayer();
  ASSERT_TRUE(pane.load(0));
  bool sync = true;
  pane.view.setIsSyncPlay([&] { return sync; });
  pane.view.updatePlaybackRate(8.0);
  pane.view.incrementPlaybackRate();
  EXPECT_EQ(pane.view.playbackRate(), 0.5);
  EXPECT_EQ(pane.view.rateChangeButton()->text(), QStringLiteral("x1/2"));
  sync = false;
  pane.view.updatePlaybackRate(8.0);
  pane.view.incrementPlaybackRate();
  EXPECT_EQ(pane.view.playbackRate(), 16.0);
  EXPECT_EQ(pane.view.rateChangeButton()->text(), QStringLiteral("x16"));
  pane.view.incrementPlaybackRate();
  EXPECT_EQ(pane.view.playbackRate(), 0.5);
  pane.view.resetZoomPlayerView();
  EXPECT_EQ(pane.view.playbackRate(), 1.0);
  EXPECT_EQ(pane.view.rateChangeButton()->text(), QStringLiteral("x1"));
}

TEST(ZoomPlayerViewControllerTest, ErrorLocksZoomAndMirrorAndTheNextFileRestoresThem) {
  QTemporaryDir dir;
  const QString junk = dir.filePath(QStringLiteral("junk.MP4"));
  {
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, '\x01'));
  }
  Pane pane;
  pane.view.becomePrimaryPlayer();
  ASSERT_TRUE(pane.load(0));
  pane.view.setMirror(true);
  pane.view.segmentDidChange(2);
  int errors = 0;
  pane.view.playWithPath(junk, {}, {}, {}, [&] { ++errors; });
  ASSERT_TRUE(waitUntil([&] { return errors == 1; }));
  EXPECT_TRUE(pane.view.engine().playerIsError());
  EXPECT_FALSE(pane.view.captureButton()->isEnabled());
  EXPECT_FALSE(pane.view.rateChangeButton()->isEnabled());
  EXPECT_FALSE(pane.view.playerScrollView()->scrollingEnabled());
  EXPECT_EQ(pane.view.playerScrollView()->zoom().magnification(), 1.0);
  EXPECT_FALSE(pane.view.mirrorButton()->isChecked());
  EXPECT_TRUE(pane.view.isMirrorMode());
  ASSERT_TRUE(pane.load(1));
  EXPECT_TRUE(pane.view.mirrorButton()->isChecked());
  EXPECT_TRUE(pane.view.captureButton()->isEnabled());
  EXPECT_TRUE(pane.view.playerScrollView()->scrollingEnabled());
  // A missing file: the pane goes inactive.
  pane.view.playWithPath(dir.filePath(QStringLiteral("gone.MP4")));
  EXPECT_FALSE(pane.view.playerScrollView()->isVisible());
}

TEST(ZoomPlayerSplitViewControllerTest, DividerSnapsAndTheRearCollapses) {
  ZoomPlayerSplitViewController split(headless(), nullptr);
  split.resize(1001, 300);
  split.show();
  ASSERT_TRUE(waitUntil([&] { return split.isVisible(); }));
  const double middle = (1001 - split.handleWidth()) * 0.5;
  EXPECT_EQ(split.constrainSplitPosition(middle + 40), middle);
  EXPECT_EQ(split.constrainSplitPosition(middle - 49), middle);
  EXPECT_EQ(split.constrainSplitPosition(middle + 60), middle + 60);
  split.setupDividerWithSecondaryPlayerEnable(false);
  EXPECT_TRUE(split.isItemCollapsed(1));
  EXPECT_EQ(split.constrainSplitPosition(200), 1001);
  split.setupDividerWithSecondaryPlayerEnable(true);
  EXPECT_FALSE(split.isItemCollapsed(1));
  ASSERT_EQ(split.playerVCs().size(), 2);
  EXPECT_EQ(split.playerVCs().first(), split.primaryPlayerVC());
}

}  // namespace
}  // namespace dashcard
