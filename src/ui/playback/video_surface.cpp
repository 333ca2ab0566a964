#include "ui/playback/video_surface.h"

#include "ui/playback/mpv_open_gl_widget.h"
#include "ui/playback/mpv_software_widget.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace dashcard {

bool VideoSurface::openGLAvailable() {
  static const bool available = [] {
    if (qEnvironmentVariable("DASHCARD_VIDEO_SURFACE") == QLatin1String("software")) return false;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    return context.create() && context.makeCurrent(&surface);
  }();
  return available;
}

VideoSurface* VideoSurface::create(CustomAVPlayer* player, QWidget* parent, bool preferOpenGL) {
  if (preferOpenGL && openGLAvailable()) return new MpvOpenGLWidget(player, parent);
  return new MpvSoftwareWidget(player, parent);
}

}  // namespace dashcard
