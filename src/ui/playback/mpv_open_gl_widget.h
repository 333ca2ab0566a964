#pragma once

#include "ui/playback/video_surface.h"

#include <QOpenGLWidget>
#include <QPointer>
#include <QSize>

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct mpv_render_context;
struct __GLsync;
class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

namespace dashcard {

// mpv's OpenGL render API inside a QOpenGLWidget. mpv renders on a thread
// of this widget's own, in an OpenGL context shared with the widget's, into
// one of three textures; paintGL only copies the newest one (mirrored when
// asked). The GUI thread makes the player's synchronous calls and mpv's
// core may wait for its renderer (new clip, new video size): a renderer on
// the GUI thread would stall both until mpv's time-out at every clip.
class MpvOpenGLWidget : public QOpenGLWidget, public VideoSurface {
  Q_OBJECT

 public:
  explicit MpvOpenGLWidget(CustomAVPlayer* player, QWidget* parent = nullptr);
  ~MpvOpenGLWidget() override;

  QWidget* widget() override { return this; }
  bool isReady() const override { return ready_.load(); }
  void setMirrored(bool mirrored) override;
  bool isMirrored() const override { return mirrored_; }
  void detach() override;

 signals:
  void ready();

 protected:
  void initializeGL() override;
  void resizeGL(int width, int height) override;
  void paintGL() override;

 private:
  struct Buffer {
    QOpenGLFramebufferObject* fbo = nullptr;
    __GLsync* written = nullptr;  // the render thread's drawing, waited for before reading
    __GLsync* read = nullptr;     // the GUI thread's copy, waited for before drawing again
    bool hasFrame = false;        // a video frame, not mpv's black
  };
  void renderLoop(QOpenGLContext* shareContext);
  void requestRender();
  int bufferToDraw() const;

  QPointer<CustomAVPlayer> player_;
  bool mirrored_ = false;
  std::atomic<bool> ready_{false};
  QOffscreenSurface* renderSurface_ = nullptr;
  unsigned readFramebuffer_ = 0;  // the widget context's handle for copying

  // Shared with the render thread.
  std::mutex mutex_;
  std::condition_variable wake_;
  bool renderWanted_ = false;
  bool stopping_ = false;
  QSize targetSize_;
  std::array<Buffer, 3> buffers_;
  int newest_ = -1;     // the last complete picture
  int displayed_ = -1;  // the one the GUI thread copied last
  std::thread renderer_;
};

}  // namespace dashcard
