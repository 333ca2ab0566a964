#pragma once

#include "ui/playback/video_surface.h"

#include <QPointer>
#include <QWidget>

struct mpv_render_context;

namespace dashcard {

// mpv's software renderer into a QImage, painted with QPainter: the
// fallback where no OpenGL context can be had.
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
  // The last picture drawn (for tests).
  const QImage& lastFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointer<CustomAVPlayer> player_;
  mpv_render_context* context_ = nullptr;
  bool mirrored_ = false;
  QImage frame_;
};

}  // namespace dashcard
