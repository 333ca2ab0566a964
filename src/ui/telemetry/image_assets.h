#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace dashcard {

// The application's pictures by name ("needle", "carinfo_brake_a"...): the
// SVG artwork of the resources, drawn at a size for a device pixel ratio.
class ImageAssets {
 public:
  ImageAssets() = delete;

  // The picture's own size in points; empty when there is no such picture.
  static QSize imageSize(const QString& name);
  // Drawn at `size` points (its own size when empty); null when unknown.
  static QPixmap imageNamed(const QString& name, QSize size = {}, qreal devicePixelRatio = 1.0);
};

}  // namespace dashcard
