#include "ui/catalogue/image_transformer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

namespace dashcard {

namespace {

struct CachedImage {
  QPixmap pixmap;
  QDateTime modified;
};

QCache<QString, CachedImage>& cache() {
  static QCache<QString, CachedImage> images(400);
  return images;
}

}  // namespace

QPixmap ImageTransformer::transformedValue(const QString& path, const QSize& size) {
  if (path.isEmpty()) return {};
  const QFileInfo info(path);
  if (!info.isFile()) return {};
  // Decoded at the screen's density, so rows stay sharp on high-density screens.
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  const QString key = QStringLiteral("%1|%2x%3@%4").arg(path).arg(size.width()).arg(size.height()).arg(ratio);
  const QDateTime modified = info.lastModified();
  if (CachedImage* hit = cache().object(key); hit && hit->modified == modified) return hit->pixmap;

  QImageReader reader(path);
  reader.setAutoTransform(true);
  if (size.isValid() && reader.size().isValid()) {
    reader.setScaledSize(reader.size().scaled(size * ratio, Qt::KeepAspectRatio));
  }
  QImage image = reader.read();
  if (image.isNull()) return {};
  if (size.isValid()) image.setDevicePixelRatio(ratio);
  auto* entry = new CachedImage{QPixmap::fromImage(image), modified};
  const QPixmap pixmap = entry->pixmap;
  cache().insert(key, entry);
  return pixmap;
}

void ImageTransformer::clearCache() { cache().clear(); }

}  // namespace dashcard
