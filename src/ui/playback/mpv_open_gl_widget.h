#pragma once

#include "ui/playback/video_surface.h"

#include <QOpenGLWidget>
#include <QPointer>

struct mpv_render_context;
class QOpenGLFramebufferObject;

namespace dashcard {

// mpv's OpenGL render API inside a QOpenGLWidget. Frames are drawn when mpv
// asks (its update callback posts a repaint to the GUI thread); rendering
// never blocks for the frame's target time, or the GUI thread would stall.
class MpvOpenGLWidget : public QOpenGLWidget, public VideoSurface {
  Q_OBJECT

 public:
  explicit MpvOpenGLWidget(CustomAVPlayer* player, QWidget* parent = nullptr);
  ~MpvOpenGLWidget() override;

  QWidget* widget() override { return this; }
  bool isReady() const override { return context_ != nullptr; }
  void setMirrored(bool mirrored) override;
  bool isMirrored() const override { return mirrored_; }
  void detach() override;

 signals:
  void ready();

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  QPointer<CustomAVPlayer> player_;
  mpv_render_context* context_ = nullptr;
  bool mirrored_ = false;
  QOpenGLFramebufferObject* mirrorTarget_ = nullptr;
};

}  // namespace dashcard
