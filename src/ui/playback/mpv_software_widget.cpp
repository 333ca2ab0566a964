#include "ui/playback/mpv_software_widget.h"

#include "core/common/startup_marks.h"
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
  targetSize_ = size();
  renderer_ = std::thread([this] { renderLoop(); });
  // Called on mpv's threads: only wakes the renderer.
  mpv_render_context_set_update_callback(
      context_, [](void* widget) { static_cast<MpvSoftwareWidget*>(widget)->requestRender(); }, this);
}

MpvSoftwareWidget::~MpvSoftwareWidget() { detach(); }

void MpvSoftwareWidget::detach() {
  if (!context_) return;
  mpv_render_context_set_update_callback(context_, nullptr, nullptr);
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (renderer_.joinable()) renderer_.join();
  mpv_render_context_free(context_);
  context_ = nullptr;
}

void MpvSoftwareWidget::requestRender() {
  {
    std::lock_guard lock(mutex_);
    renderWanted_ = true;
  }
  wake_.notify_all();
}

void MpvSoftwareWidget::renderLoop() {
  QImage back;
  while (true) {
    QSize size;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return renderWanted_ || stopping_; });
      if (stopping_) return;
      renderWanted_ = false;
      size = targetSize_;
    }
    if (size.isEmpty()) continue;
    // The painter's own format: any other would be converted on Qt's
    // global thread pool at every paint.
    if (back.size() != size) back = QImage(size, QImage::Format_RGB32);
    int dims[2] = {size.width(), size.height()};
    const char* format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";
    auto stride = static_cast<size_t>(back.bytesPerLine());
    // The picture is wanted as soon as it exists; mpv paces the frames.
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, dims},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(format)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, back.bits()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    // Whether this picture holds a video frame (else it is mpv's black).
    const bool frame = (mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME) != 0;
    if (mpv_render_context_render(context_, params) < 0) {
      back.fill(Qt::black);
    } else {
      // mpv leaves the padding byte at zero; QImage wants it opaque.
      const int width = back.width();
      const int height = back.height();
      uchar* const bits = back.bits();
      for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(bits + stride * static_cast<size_t>(y));
        for (int x = 0; x < width; ++x) line[x] |= 0xff000000u;
      }
    }
    {
      std::lock_guard lock(mutex_);
      std::swap(shown_, back);
      shownHasFrame_ = shownHasFrame_ || frame;
    }
    drawn_.notify_all();
    mpv_render_context_report_swap(context_);
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
  }
}

QImage MpvSoftwareWidget::lastFrame() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

QImage MpvSoftwareWidget::waitForFrame(const std::function<bool(const QImage&)>& wanted, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  drawn_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return wanted(shown_); });
  return shown_;
}

void MpvSoftwareWidget::setMirrored(bool mirrored) {
  if (mirrored_ == mirrored) return;
  mirrored_ = mirrored;
  update();
}

void MpvSoftwareWidget::resizeEvent(QResizeEvent*) {
  {
    std::lock_guard lock(mutex_);
    targetSize_ = size();
  }
  if (context_) requestRender();
}

void MpvSoftwareWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  std::lock_guard lock(mutex_);
  if (!context_ || shown_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  if (mirrored_) {
    painter.translate(width(), 0);
    painter.scale(-1, 1);
  }
  // Drawn at its own size (a scaled drawing is converted on Qt's global
  // thread pool); a new size comes with the next picture.
  if (shown_.size() != size()) painter.fillRect(rect(), Qt::black);
  painter.drawImage(0, 0, shown_);
  if (shownHasFrame_) markStartupMoment(StartupMoment::FirstFrameDrawn);
}

}  // namespace dashcard
