#include "ui/playback/mpv_open_gl_widget.h"

#include "core/common/startup_marks.h"
#include "core/playback/custom_av_player.h"

#include <mpv/render_gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

namespace dashcard {

namespace {
void* procAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(QByteArray(name))) : nullptr;
}

constexpr GLuint64 kFenceWaitNs = 500'000'000;  // a lost GPU is not waited for forever
}  // namespace

MpvOpenGLWidget::MpvOpenGLWidget(CustomAVPlayer* player, QWidget* parent) : QOpenGLWidget(parent), player_(player) {}

MpvOpenGLWidget::~MpvOpenGLWidget() { detach(); }

void MpvOpenGLWidget::detach() {
  if (renderer_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    renderer_.join();
  }
  ready_ = false;
  if (readFramebuffer_ != 0 && context() != nullptr) {
    makeCurrent();
    context()->extraFunctions()->glDeleteFramebuffers(1, &readFramebuffer_);
    doneCurrent();
  }
  readFramebuffer_ = 0;
  delete renderSurface_;
  renderSurface_ = nullptr;
}

void MpvOpenGLWidget::setMirrored(bool mirrored) {
  if (mirrored_ == mirrored) return;
  mirrored_ = mirrored;
  update();
}

void MpvOpenGLWidget::initializeGL() {
  if (renderer_.joinable() || !player_ || !player_->handle()) return;
  context()->extraFunctions()->glGenFramebuffers(1, &readFramebuffer_);
  // Made here: an offscreen surface belongs to the GUI thread.
  renderSurface_ = new QOffscreenSurface(nullptr);
  renderSurface_->setFormat(context()->format());
  renderSurface_->create();
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    const qreal ratio = devicePixelRatioF();
    targetSize_ = QSize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
  }
  QOpenGLContext* shareContext = context();
  renderer_ = std::thread([this, shareContext] { renderLoop(shareContext); });
}

void MpvOpenGLWidget::resizeGL(int, int) {
  {
    std::lock_guard lock(mutex_);
    const qreal ratio = devicePixelRatioF();
    targetSize_ = QSize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
  }
  requestRender();
}

void MpvOpenGLWidget::requestRender() {
  {
    std::lock_guard lock(mutex_);
    renderWanted_ = true;
  }
  wake_.notify_all();
}

int MpvOpenGLWidget::bufferToDraw() const {
  for (int i = 0; i < static_cast<int>(buffers_.size()); ++i) {
    if (i != newest_ && i != displayed_) return i;
  }
  return 0;  // unreachable with three buffers
}

void MpvOpenGLWidget::renderLoop(QOpenGLContext* shareContext) {
  QOpenGLContext context;
  context.setFormat(shareContext->format());
  context.setShareContext(shareContext);
  if (!context.create() || !context.makeCurrent(renderSurface_)) {
    qWarning("OpenGL context for the video could not be made");
    return;
  }
  QOpenGLExtraFunctions* f = context.extraFunctions();
  mpv_opengl_init_params gl{procAddress, nullptr};
  mpv_render_param create[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context* mpv = nullptr;
  if (mpv_render_context_create(&mpv, player_->handle(), create) < 0) {
    qWarning("mpv OpenGL render context could not be created");
    context.doneCurrent();
    return;
  }
  // Called on mpv's threads: only wakes this loop.
  mpv_render_context_set_update_callback(
      mpv, [](void* widget) { static_cast<MpvOpenGLWidget*>(widget)->requestRender(); }, this);
  ready_ = true;
  QMetaObject::invokeMethod(this, [this] { emit ready(); }, Qt::QueuedConnection);

  while (true) {
    int index = 0;
    QSize size;
    GLsync read = nullptr;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return renderWanted_ || stopping_; });
      if (stopping_) break;
      renderWanted_ = false;
      size = targetSize_;
      index = bufferToDraw();
      std::swap(read, buffers_[static_cast<size_t>(index)].read);
    }
    if (read != nullptr) {
      f->glClientWaitSync(read, GL_SYNC_FLUSH_COMMANDS_BIT, kFenceWaitNs);
      f->glDeleteSync(read);
    }
    if (size.isEmpty()) continue;
    Buffer& buffer = buffers_[static_cast<size_t>(index)];
    // Neither shown nor the newest: the GUI thread does not touch it now.
    if (buffer.fbo == nullptr || buffer.fbo->size() != size) {
      delete buffer.fbo;
      buffer.fbo = new QOpenGLFramebufferObject(size);
    }
    mpv_opengl_fbo fbo{static_cast<int>(buffer.fbo->handle()), size.width(), size.height(), 0};
    int flip = 1;
    int block = 0;  // the picture is wanted as soon as it exists; mpv paces the frames
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    buffer.hasFrame = (mpv_render_context_update(mpv) & MPV_RENDER_UPDATE_FRAME) != 0;
    mpv_render_context_render(mpv, params);
    GLsync written = f->glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    f->glFlush();
    {
      std::lock_guard lock(mutex_);
      if (buffer.written != nullptr) f->glDeleteSync(buffer.written);  // drawn but never shown
      buffer.written = written;
      newest_ = index;
    }
    mpv_render_context_report_swap(mpv);
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
  }

  mpv_render_context_set_update_callback(mpv, nullptr, nullptr);
  mpv_render_context_free(mpv);
  std::lock_guard lock(mutex_);
  for (Buffer& buffer : buffers_) {
    if (buffer.written != nullptr) f->glDeleteSync(buffer.written);
    if (buffer.read != nullptr) f->glDeleteSync(buffer.read);
    delete buffer.fbo;
    buffer = Buffer();
  }
  newest_ = -1;
  displayed_ = -1;
  context.doneCurrent();
}

void MpvOpenGLWidget::paintGL() {
  QOpenGLExtraFunctions* f = context()->extraFunctions();
  const qreal ratio = devicePixelRatioF();
  const int w = static_cast<int>(width() * ratio);
  const int h = static_cast<int>(height() * ratio);
  std::lock_guard lock(mutex_);
  if (newest_ < 0 || readFramebuffer_ == 0) {
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  displayed_ = newest_;
  Buffer& buffer = buffers_[static_cast<size_t>(displayed_)];
  if (buffer.written != nullptr) {
    f->glWaitSync(buffer.written, 0, GL_TIMEOUT_IGNORED);
    f->glDeleteSync(buffer.written);
    buffer.written = nullptr;
  }
  if (buffer.read != nullptr) f->glDeleteSync(buffer.read);
  const QSize size = buffer.fbo->size();
  if (size != QSize(w, h)) {
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
  }
  f->glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
  f->glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, buffer.fbo->texture(), 0);
  f->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, defaultFramebufferObject());
  // A mirror is the copy with its x range reversed.
  f->glBlitFramebuffer(0, 0, size.width(), size.height(), mirrored_ ? w : 0, 0, mirrored_ ? 0 : w, h,
                       GL_COLOR_BUFFER_BIT, size == QSize(w, h) ? GL_NEAREST : GL_LINEAR);
  f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
  buffer.read = f->glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  f->glFlush();
  if (buffer.hasFrame) markStartupMoment(StartupMoment::FirstFrameDrawn);
}

}  // namespace dashcard
