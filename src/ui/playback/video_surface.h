#pragma once

#include <QImage>
#include <QWidget>

namespace dashcard {

class CustomAVPlayer;

// Where a player's pictures are drawn: one mpv render context per player.
// Two kinds: OpenGL (the normal case) and mpv's software renderer into a
// QImage where OpenGL is missing or emulated by the processor.
// DASHCARD_VIDEO_SURFACE=software or =opengl overrides the choice.
class VideoSurface {
 public:
  virtual ~VideoSurface() = default;
  virtual QWidget* widget() = 0;
  // The render context exists: files loaded from now on show pictures.
  virtual bool isReady() const = 0;
  // Left-right mirror of the drawn picture.
  virtual void setMirrored(bool mirrored) = 0;
  virtual bool isMirrored() const = 0;
  // Frees the render context; the player may be destroyed afterwards.
  virtual void detach() = 0;

  // True when an OpenGL context can be made on this display.
  static bool openGLAvailable();
  // True when that OpenGL is a software rasterizer (llvmpipe and the like).
  static bool openGLIsSoftware();
  // The OpenGL surface when `preferOpenGL` and a hardware OpenGL is
  // available, else the software one.
  static VideoSurface* create(CustomAVPlayer* player, QWidget* parent, bool preferOpenGL = true);
};

}  // namespace dashcard
