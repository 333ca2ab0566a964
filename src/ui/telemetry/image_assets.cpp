#include "ui/telemetry/image_assets.h"

#include <QPainter>
#include <QSvgRenderer>

namespace dashcard {

namespace {
QString pathOf(const QString& name) { return QStringLiteral(":/images/%1.svg").arg(name); }
}  // namespace

QSize ImageAssets::imageSize(const QString& name) {
  if (name.isEmpty()) return {};
  QSvgRenderer renderer(pathOf(name));
  return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QPixmap ImageAssets::imageNamed(const QString& name, QSize size, qreal devicePixelRatio) {
  if (name.isEmpty()) return {};
  QSvgRenderer renderer(pathOf(name));
  if (!renderer.isValid()) return {};
  if (size.isEmpty()) size = renderer.defaultSize();
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return pixmap;
}

}  // namespace dashcard
