#pragma once

#include "ui/playback/video_surface.h"

#include <QPointer>
#include <QWidget>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

struct mpv_render_context;

namespace dashcard {

// mpv's software renderer into a QImage, painted with QPainter: the
// surface where OpenGL is missing or is itself a software rasterizer.
//
// mpv renders on a thread of this widget's own. The GUI thread makes the
// player's synchronous calls, and mpv's core may wait for the renderer
// (on a new file, a new size of video): a renderer on the GUI thread would
// stall both until mpv's time-out, on every clip change.
class MpvSoftwareWidget : public QWidget, public VideoSurface {
  Q_OBJECT

 public:
  explicit MpvSoftwareWidget(CustomAVPlayer* player, QWidget* parent = nullptr);
  ~MpvSoftwareWidget() override;

  QWidget* widget() override { return this; }
  bool isReady() const override { return context_ != nullptr; }
  void setMirrored(bool mirrored) override;
  bool isMirrored() const override { return mirrored_; }
  void detach() override;
  // The last picture mpv drew (for tests).
  QImage lastFrame() const;
  // Waits, without the GUI thread's event loop, until the last picture is
  // `wanted` or `timeoutMs` passed; returns the last picture (for tests).
  QImage waitForFrame(const std::function<bool(const QImage&)>& wanted, int timeoutMs) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void renderLoop();
  void requestRender();

  QPointer<CustomAVPlayer> player_;
  mpv_render_context* context_ = nullptr;
  bool mirrored_ = false;

  // Shared with the render thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  mutable std::condition_variable drawn_;
  bool renderWanted_ = false;
  bool stopping_ = false;
  QSize targetSize_;
  QImage shown_;  // the last complete picture
  bool shownHasFrame_ = false;  // a video frame was drawn into it once
  std::thread renderer_;
};

}  // namespace dashcard
