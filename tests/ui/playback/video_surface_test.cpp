// The video surfaces draw mpv's pictures (OpenGL under Xvfb, and the
// software fallback).
#include "ui/playback/mpv_open_gl_widget.h"
#include "ui/playback/mpv_software_widget.h"
#include "ui/playback/zoom_player_view_controller.h"

#include "core/playback/playback_test_support.h"
#include "support/temp_card.h"

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::spinUntil;

bool hasColour(const QImage& image) {
  if (image.isNull()) return false;
  const QImage small = image.scaled(32, 18).convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < small.height(); ++y) {
    for (int x = 0; x < small.width(); ++x) {
      if (qGray(small.pixel(x, y)) > 40) return true;
    }
  }
  return false;
}

CustomAVPlayer::Options drawn() {
  CustomAVPlayer::Options options = ZoomPlayerViewController::windowOptions();
  options.audioOutput = QStringLiteral("null");
  options.hwdec = QStringLiteral("no");
  return options;
}

TEST(VideoSurfaceTest, SoftwareSurfaceDrawsTheVideoAndMirrors) {
  ASSERT_TRUE(test::sharedCard().ok());
  CustomAVPlayer player(drawn());
  MpvSoftwareWidget surface(&player);
  surface.resize(320, 180);
  surface.show();
  ASSERT_TRUE(surface.isReady());
  int loaded = 0;
  QObject::connect(&player, &CustomAVPlayer::loaded, [&] { ++loaded; });
  const auto& card = test::sharedCard();
  player.loadFile(card.path(card.clips().at(0).frontPath));
  ASSERT_TRUE(spinUntil([&] { return loaded == 1; }));
  player.seek(1.0);
  // Drawn on the surface's own thread: the picture comes while the GUI
  // thread does not run its event loop (it may be waiting for the player).
  EXPECT_TRUE(hasColour(surface.waitForFrame(hasColour, 10000)));
  surface.setMirrored(true);
  const QImage shown = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage drawnFrame = surface.lastFrame().convertToFormat(QImage::Format_RGB32);
  EXPECT_LT(test::meanDifference(shown, drawnFrame.mirrored(true, false)), 1.0);
  EXPECT_GT(test::meanDifference(shown, drawnFrame), 5.0);
  surface.detach();
  EXPECT_FALSE(surface.isReady());
}

TEST(VideoSurfaceTest, OpenGLSurfaceDrawsTheVideo) {
  if (!VideoSurface::openGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
  // Xvfb's OpenGL is a software rasterizer, which panes leave aside unless told.
  qputenv("DASHCARD_VIDEO_SURFACE", "opengl");
  ZoomPlayerViewController pane(drawn());
  qunsetenv("DASHCARD_VIDEO_SURFACE");
  pane.resize(480, 320);
  pane.show();
  auto* gl = dynamic_cast<MpvOpenGLWidget*>(pane.videoSurface());
  ASSERT_NE(gl, nullptr);
  // The surface appears with the first file; that file is loaded again
  // once the render context exists, and then shows its pictures.
  int started = 0;
  const auto& card = test::sharedCard();
  pane.playWithPath(card.path(card.clips().at(1).frontPath), [&] { ++started; }, {}, {});
  ASSERT_TRUE(spinUntil([&] { return gl->isReady(); }));
  ASSERT_TRUE(spinUntil([&] { return started > 0; }));
  pane.play();
  ASSERT_TRUE(spinUntil([&] { return hasColour(gl->grabFramebuffer()); }));
  // Pictures come from the surface's render thread; a still one is copied
  // as it is, and mirrored by the copy alone.
  pane.pause();
  // Still: the pause's hold seek is done and two pictures in a row agree.
  QImage previous;
  ASSERT_TRUE(spinUntil([&] {
    const QImage now = gl->grabFramebuffer();
    const bool same = !pane.engine().player()->isSeeking() && now == previous;
    previous = now;
    return same;
  }));
  const QImage still = gl->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
  pane.setMirror(true);
  const QImage mirrored = gl->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(hasColour(mirrored));
  EXPECT_LT(test::meanDifference(mirrored, still.mirrored(true, false)), 1.0);
  EXPECT_GT(test::meanDifference(mirrored, still), 5.0);
  gl->detach();
  EXPECT_FALSE(gl->isReady());
}

}  // namespace
}  // namespace dashcard
