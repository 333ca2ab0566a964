#include "core/export/capture_view_utility.h"

#include "core/common/image_rotation.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QTransform>

namespace dashcard {

QImage CaptureViewUtility::captureLabelImageWithSize(const QSize& size, const QString& text, const QColor& textColor,
                                                     double fontSize) {
  if (size.isEmpty()) {
    return {};
  }
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  QFont font = QGuiApplication::font();
  if (fontSize > 0) {
    font.setPointSizeF(fontSize);
  }
  painter.setFont(font);
  painter.setPen(textColor);
  painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
  return image;
}

QImage CaptureViewUtility::rotateImage(const QImage& image, int direction) {
  if (image.isNull()) {
    return {};
  }
  return imageRotated(image, direction == 0 ? 90.0f : -90.0f);
}

}  // namespace dashcard
