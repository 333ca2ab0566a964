#pragma once

#include <QImage>
#include <QWidget>

namespace dashcard {

class CustomAVPlayer;

// Where a player's pictures are drawn: one mpv render context per player,
// created and used on the GUI thread only. Two kinds: OpenGL (the normal
// case) and mpv's software renderer into a QImage where no OpenGL context
// can be had.
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
  // The OpenGL surface when OpenGL is available and `preferOpenGL`, else
  // the software one. `onReady` runs once the render context exists.
  static VideoSurface* create(CustomAVPlayer* player, QWidget* parent, bool preferOpenGL = true);
};

}  // namespace dashcard
