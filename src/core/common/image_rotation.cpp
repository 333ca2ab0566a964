#include "core/common/image_rotation.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dashcard {

QImage imageRotated(const QImage& image, float angle) {
  const float a = std::fmod(angle, 360.0f);
  if (a == 0.0f || image.isNull()) {
    return image;
  }
  if (std::fmod(a, 90.0f) == 0.0f) {
    // Quarter turns move whole pixels: no resampling.
    return image.transformed(QTransform().rotate(-a)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  const int w = image.width();
  const int h = image.height();
  const int d = std::max(w, h) + 20;
  const QSize size(d, d);
  QImage result(size, QImage::Format_ARGB32_Premultiplied);
  result.fill(Qt::transparent);
  QPainter painter(&result);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.translate(size.width() / 2.0, size.height() / 2.0);
  painter.rotate(-a);
  painter.drawImage(QPointF(-w / 2.0, -h / 2.0), image);
  painter.end();
  return result;
}

}  // namespace dashcard
