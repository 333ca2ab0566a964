#include "ui/playback/video_surface.h"

#include "ui/playback/mpv_open_gl_widget.h"
#include "ui/playback/mpv_software_widget.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSettings>

namespace dashcard {
namespace {

struct OpenGLProbe {
  bool available = false;
  QString renderer;
};

const OpenGLProbe& openGLProbe() {
  static const OpenGLProbe probe = [] {
    OpenGLProbe result;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return result;
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface)) return result;
    result.available = true;
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    result.renderer = QString::fromLatin1(name != nullptr ? name : "");
    context.doneCurrent();
    return result;
  }();
  return probe;
}

// Without a GPU device node OpenGL can only be emulated by the processor,
// which the software surface beats anyway; the probe would load the
// emulator to say so (80 ms of a window's start under Xvfb with Mesa).
bool gpuDevicePresent() {
  return !QDir(QStringLiteral("/dev/dri")).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot) ||
         QFileInfo::exists(QStringLiteral("/dev/nvidia0"));
}

// The environment variable wins over the user's preference.
QString surfaceChoice() {
  const QString forced = qEnvironmentVariable("DASHCARD_VIDEO_SURFACE");
  return forced.isEmpty() ? QSettings().value(QStringLiteral("videoSurface")).toString() : forced;
}

}  // namespace

bool VideoSurface::openGLAvailable() {
  if (surfaceChoice() == QLatin1String("software")) return false;
  return openGLProbe().available;
}

bool VideoSurface::openGLIsSoftware() {
  const QString& renderer = openGLProbe().renderer;
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SwiftShader"}) {
    if (renderer.contains(QLatin1String(name), Qt::CaseInsensitive)) return true;
  }
  return false;
}

VideoSurface* VideoSurface::create(CustomAVPlayer* player, QWidget* parent, bool preferOpenGL) {
  // An OpenGL that the processor emulates costs more than mpv's own
  // software scaler and leaves less of the processor to the decoders.
  const bool forced = surfaceChoice() == QLatin1String("opengl");
  if (preferOpenGL && (forced || gpuDevicePresent()) && openGLAvailable() && (forced || !openGLIsSoftware())) {
    return new MpvOpenGLWidget(player, parent);
  }
  return new MpvSoftwareWidget(player, parent);
}

}  // namespace dashcard
