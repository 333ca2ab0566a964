#include "core/map/custom_point_annotation_image.h"

#include "core/catalogue/dcf_info.h"
#include "core/common/const_class.h"
#include "core/common/image_rotation.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace dashcard {

QString annotationImageName(const CustomPointAnnotation& annotation) {
  if (annotation.isUserLocation) {
    return annotation.GPSEnable ? QStringLiteral("CurrentPos_Gmap") : QStringLiteral("CurrentPos_Gmap_Disable");
  }
  const auto info = annotation.info.lock();
  if (!info) return {};
  const QString kind = info->eventName();
  if (kind == ConstClass::DCF_EVENTNAME_PARKING) return QStringLiteral("Parking");
  if (kind == ConstClass::DCF_EVENTNAME_MANUAL) return QStringLiteral("manual");
  if (kind == ConstClass::DCF_EVENTNAME_EVENT) return QStringLiteral("Accident");
  if (kind == ConstClass::DCF_EVENTNAME_NORMAL) return QStringLiteral("fileStartMarker");
  return {};
}

QString annotationReuseIdentifier(const CustomPointAnnotation& annotation) {
  const QString name = annotationImageName(annotation);
  if (name.isEmpty()) return {};
  if (annotation.isUserLocation) return QStringLiteral("user");
  if (name == QLatin1String("Parking")) return QStringLiteral("parking");
  if (name == QLatin1String("manual")) return QStringLiteral("manual");
  if (name == QLatin1String("Accident")) return QStringLiteral("event");
  return QStringLiteral("normal");
}

QImage annotationImage(const CustomPointAnnotation& annotation, qreal devicePixelRatio) {
  const QString name = annotationImageName(annotation);
  if (name.isEmpty()) return {};
  QSvgRenderer svg(QStringLiteral(":/images/%1.svg").arg(name));
  if (!svg.isValid()) return {};
  const QSize size = (QSizeF(svg.defaultSize()) * devicePixelRatio).toSize();
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    svg.render(&painter);
  }
  if (annotation.isUserLocation) {
    image = imageRotated(image, static_cast<float>(360.0 - annotation.direction));
  }
  image.setDevicePixelRatio(devicePixelRatio);
  return image;
}

QPointF annotationCenterOffset(const QString& reuseIdentifier, const QSizeF& imageSize) {
  if (reuseIdentifier == QLatin1String("user") || reuseIdentifier.isEmpty()) return {};
  const double half = imageSize.height() / 2.0;
  return {0.0, reuseIdentifier == QLatin1String("manual") ? half : -half};
}

QImage annotationThumbnailImage(const CustomPointAnnotation& annotation) {
  const auto info = annotation.info.lock();
  if (!info) return {};
  const QString path = info->thumbnailPath();
  if (path.isEmpty() || !QFileInfo(path).isFile()) return {};
  QImageReader reader(path);
  reader.setAllocationLimit(64);  // megabytes; a thumbnail is far smaller
  return reader.read();
}

}  // namespace dashcard
