#include "ui/playback/mpv_software_widget.h"

#include "core/playback/custom_av_player.h"

#include <mpv/render.h>

#include <QPainter>

namespace dashcard {

MpvSoftwareWidget::MpvSoftwareWidget(CustomAVPlayer* player, QWidget* parent) : QWidget(parent), player_(player) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (!player_ || !player_->handle()) return;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  if (mpv_render_context_create(&context_, player_->handle(), params) < 0) {
    qWarning("mpv software render context could not be created");
    context_ = nullptr;
    return;
  }
  mpv_render_context_set_update_callback(
      context_,
      [](void* widget) {
        QMetaObject::invokeMethod(static_cast<MpvSoftwareWidget*>(widget), qOverload<>(&QWidget::update),
                                  Qt::QueuedConnection);
      },
      this);
}

MpvSoftwareWidget::~MpvSoftwareWidget() { detach(); }

void MpvSoftwareWidget::detach() {
  if (!context_) return;
  mpv_render_context_set_update_callback(context_, nullptr, nullptr);
  mpv_render_context_free(context_);
  context_ = nullptr;
}

void MpvSoftwareWidget::setMirrored(bool mirrored) {
  if (mirrored_ == mirrored) return;
  mirrored_ = mirrored;
  update();
}

void MpvSoftwareWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QSize size = this->size();
  if (context_ && !size.isEmpty()) {
    if (frame_.size() != size) frame_ = QImage(size, QImage::Format_RGBX8888);
    int dims[2] = {size.width(), size.height()};
    const char* format = "rgb0";
    size_t stride = static_cast<size_t>(frame_.bytesPerLine());
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, dims},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(format)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, frame_.bits()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(context_, params) < 0) frame_.fill(Qt::black);
  } else {
    frame_ = QImage();
  }
  if (frame_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  if (mirrored_) {
    painter.translate(width(), 0);
    painter.scale(-1, 1);
  }
  painter.drawImage(0, 0, frame_);
}

}  // namespace dashcard
