#include "ui/playback/mpv_open_gl_widget.h"

#include "core/playback/custom_av_player.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

namespace dashcard {

namespace {
void* procAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(QByteArray(name))) : nullptr;
}
}  // namespace

MpvOpenGLWidget::MpvOpenGLWidget(CustomAVPlayer* player, QWidget* parent) : QOpenGLWidget(parent), player_(player) {}

MpvOpenGLWidget::~MpvOpenGLWidget() { detach(); }

void MpvOpenGLWidget::detach() {
  if (!context_ && !mirrorTarget_) return;
  makeCurrent();
  if (context_) {
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    mpv_render_context_free(context_);
    context_ = nullptr;
  }
  delete mirrorTarget_;
  mirrorTarget_ = nullptr;
  doneCurrent();
}

void MpvOpenGLWidget::setMirrored(bool mirrored) {
  if (mirrored_ == mirrored) return;
  mirrored_ = mirrored;
  update();
}

void MpvOpenGLWidget::initializeGL() {
  if (context_ || !player_ || !player_->handle()) return;
  mpv_opengl_init_params gl{procAddress, nullptr};
  // No advanced control: the GUI thread that renders also makes the player's
  // synchronous calls, which advanced control forbids.
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  if (mpv_render_context_create(&context_, player_->handle(), params) < 0) {
    qWarning("mpv OpenGL render context could not be created");
    context_ = nullptr;
    return;
  }
  // Called on mpv's thread: only post a repaint to the GUI thread.
  mpv_render_context_set_update_callback(
      context_,
      [](void* widget) {
        QMetaObject::invokeMethod(static_cast<MpvOpenGLWidget*>(widget), qOverload<>(&QWidget::update),
                                  Qt::QueuedConnection);
      },
      this);
  emit ready();
}

void MpvOpenGLWidget::paintGL() {
  if (!context_) return;
  const qreal ratio = devicePixelRatioF();
  const int w = static_cast<int>(width() * ratio);
  const int h = static_cast<int>(height() * ratio);
  GLuint target = defaultFramebufferObject();
  if (mirrored_) {
    if (!mirrorTarget_ || mirrorTarget_->size() != QSize(w, h)) {
      delete mirrorTarget_;
      mirrorTarget_ = new QOpenGLFramebufferObject(w, h);
    }
    target = mirrorTarget_->handle();
  }
  mpv_opengl_fbo fbo{static_cast<int>(target), w, h, 0};
  int flip = 1;
  int block = 0;  // never wait for the frame's display time on the GUI thread
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
      {MPV_RENDER_PARAM_FLIP_Y, &flip},
      {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(context_, params);
  if (mirrored_ && mirrorTarget_) {
    // Blit with the x range reversed: a mirror without another render pass.
    QOpenGLExtraFunctions* f = context()->extraFunctions();
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, mirrorTarget_->handle());
    f->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, defaultFramebufferObject());
    f->glBlitFramebuffer(0, 0, w, h, w, 0, 0, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
  }
  mpv_render_context_report_swap(context_);
}

}  // namespace dashcard
