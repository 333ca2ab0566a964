#include "ui/playback/zoom_player_view_controller.h"

#include "core/playback/playback_test_support.h"
#include "support/temp_card.h"
#include "ui/playback/player_inline_controls.h"
#include "ui/playback/player_scroll_view.h"
#include "ui/playback/zoom_player_split_view_controller.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSlider>
#include <QToolButton>
#include <QSplitter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::spinUntil;

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
    return spinUntil([this] { return started > 0; });
  }
  ZoomPlayerViewController view;
  int started = 0;
};

// The player's current frame is `expected` (decoded by FFmpeg).
bool showsFrame(Pane& pane, const QImage& expected) {
  const QImage frame = pane.view.engine().player()->grabFrame();
  return !frame.isNull() && test::meanDifference(frame.scaled(expected.size()), expected) < 6.0;
}

TEST(ZoomPlayerViewControllerTest, SnapshotIsTheExactFrameMirroredWhenThePlayerIs) {
  ASSERT_TRUE(test::sharedCard().ok());
  Pane pane;
  ASSERT_TRUE(pane.load(2));
  pane.view.setCurrentProgress(0.5F);  // 1.5 s of 3: frame 45
  const QImage expected = test::ffmpegFrame(clipPath(2), 1.5, QSize(320, 180));
  ASSERT_TRUE(spinUntil([&] { return showsFrame(pane, expected); }));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("snap shot ü.png"));
  QString error;
  ASSERT_TRUE(pane.view.writeSnapshot(path, &error)) << error.toStdString();
  const QImage written(path);
  ASSERT_EQ(written.size(), QSize(320, 180));
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

// The capture keeps the frame, place and date of the press while the Save
// dialog is open, proposes a name any card or stick takes, and without a
// frame shows the error and saves nothing.
TEST(ZoomPlayerViewControllerTest, CaptureKeepsThePressedMomentAndNeedsAFrame) {
  ASSERT_TRUE(test::sharedCard().ok());
  Pane pane;
  ASSERT_TRUE(pane.load(2));
  pane.view.setCurrentProgress(0.5F);
  const QImage pressed = test::ffmpegFrame(clipPath(2), 1.5, QSize(320, 180));
  ASSERT_TRUE(spinUntil([&] { return showsFrame(pane, pressed); }));
  pane.view.snapButtonPressed();
  auto* dialog = pane.view.findChild<QFileDialog*>();
  ASSERT_NE(dialog, nullptr);
  const QString proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
  EXPECT_FALSE(proposed.isEmpty());
  for (const QChar refused : QStringLiteral("\\:*?\"<>|")) {
    EXPECT_FALSE(proposed.contains(refused)) << proposed.toStdString();
  }
  // The player moves on before the dialog is accepted.
  pane.view.setCurrentProgress(0.9F);
  const QImage later = test::ffmpegFrame(clipPath(2), 2.7, QSize(320, 180));
  ASSERT_TRUE(spinUntil([&] { return showsFrame(pane, later); }));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("capture.png"));
  emit dialog->fileSelected(path);
  dialog->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_LT(test::meanDifference(QImage(path), pressed), 6.0);

  // Sound only: no frame to grab.
  const QString sound = dir.filePath(QStringLiteral("sound.m4a"));
  ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                               QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("anullsrc=r=8000:cl=mono"), QStringLiteral("-t"), QStringLiteral("2"),
                               sound}),
            0);
  int started = 0;
  pane.view.playWithPath(sound, [&] { ++started; }, {}, {});
  ASSERT_TRUE(spinUntil([&] { return started > 0; }));
  pane.view.snapButtonPressed();
  EXPECT_EQ(pane.view.findChild<QFileDialog*>(), nullptr);
  auto* alert = pane.view.findChild<QMessageBox*>(QStringLiteral("CaptureErrorAlert"));
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->text(), QStringLiteral("No picture to capture"));
  alert->close();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{QStringLiteral("capture.png"), QStringLiteral("sound.m4a")}));
}

// The mirror turns every still picture shown after it, not only the first.
TEST(ZoomPlayerViewControllerTest, AMirroredPaneShowsEveryNewStillMirrored) {
  QTemporaryDir dir;
  QStringList pictures;
  for (const QColor& left : {QColor(Qt::red), QColor(Qt::green)}) {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) image.setPixelColor(x, y, left);
    }
    pictures << dir.filePath(left.name().mid(1) + QStringLiteral(".png"));
    ASSERT_TRUE(image.save(pictures.last()));
  }
  Pane pane;
  pane.view.setMirror(true);
  for (const QString& picture : pictures) {
    pane.view.showImageWithPath(picture);
    const QImage shown = pane.view.playerScrollView()->pictureView()->pixmap().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixelColor(1, shown.height() / 2), QColor(Qt::blue)) << picture.toStdString();
  }
}

TEST(ZoomPlayerViewControllerTest, ClicksToggleAfterTheDelayAndTripleClickPostsOnce) {
  Pane pane;
  ASSERT_TRUE(pane.load(0));
  PlayerScrollView* scroll = pane.view.playerScrollView();
  int posted = 0;
  auto connection = QObject::connect(scroll, &PlayerScrollView::tripleTapped, [&] { ++posted; });
  const QPointF middle(100, 100);
  scroll->mouseUpWithClickCount(middle, 1);
  scroll->mouseUpWithClickCount(middle, 2);
  EXPECT_FALSE(pane.view.isPlaying());  // not before 0.25 s
  ASSERT_TRUE(spinUntil([&] { return pane.view.isPlaying(); }));
  // A third click within the delay: no toggle, one notification.
  scroll->mouseUpWithClickCount(middle, 1);
  scroll->mouseUpWithClickCount(middle, 2);
  scroll->mouseUpWithClickCount(middle, 3);
  EXPECT_FALSE(scroll->clicks().doubleClickPending());
  QCoreApplication::processEvents();
  EXPECT_TRUE(pane.view.isPlaying());
  EXPECT_EQ(posted, 1);
  // Clicks on the control bar strip are not the view's.
  const QPointF bar(100, scroll->height() - 5);
  scroll->mouseUpWithClickCount(bar, 2);
  scroll->mouseUpWithClickCount(bar, 3);
  EXPECT_FALSE(scroll->clicks().doubleClickPending());
  QCoreApplication::processEvents();
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
  EXPECT_TRUE(spinUntil([&] { return controls->lengthLabel()->text() == "0:03"; }));

  const bool playing = front.view.isPlaying();
  controls->playPauseButton()->click();
  EXPECT_TRUE(spinUntil([&] { return front.view.isPlaying() != playing; }));
  // Held, the scrubber seeks and the player stands still.
  controls->scrubber()->setSliderDown(true);
  controls->scrubber()->setValue(controls->scrubber()->maximum() / 2);
  EXPECT_TRUE(spinUntil([&] { return !front.view.isPlaying() && std::abs(front.view.progress() - 0.5f) < 0.05f; }));
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
  ASSERT_TRUE(spinUntil([&] { return errors == 1; }));
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
  ASSERT_TRUE(spinUntil([&] { return split.isVisible(); }));
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
