#include "core/export/image_rotation.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dashcard {

QImage imageRotated(const QImage& image, float angle) {
  const float a = std::fmod(angle, 360.0f);
  if (a == 0.0f || image.isNull()) {
    return image;
  }
  const int w = image.width();
  const int h = image.height();
  const int d = std::max(w, h) + 20;
  QSize size(d, d);
  if (a == 90.0f || a == -90.0f || a == 270.0f || a == -270.0f) {
    size = QSize(h, w);
  } else if (a == 180.0f || a == -180.0f) {
    size = QSize(w, h);
  }
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
