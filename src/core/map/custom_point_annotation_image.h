#pragma once

#include "core/catalogue/custom_point_annotation.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>

namespace dashcard {

// The artwork of a marker: "CurrentPos_Gmap" / "CurrentPos_Gmap_Disable" for
// the current position, else by the recording's event kind; empty for an
// unknown kind or a recording that is gone.
QString annotationImageName(const CustomPointAnnotation& annotation);
// "user", "normal", "event", "parking" or "manual"; empty when there is no image.
QString annotationReuseIdentifier(const CustomPointAnnotation& annotation);
// The marker's image at a device pixel ratio; the current-position image is
// turned by (360 - direction) degrees. Null when there is no image.
QImage annotationImage(const CustomPointAnnotation& annotation, qreal devicePixelRatio = 1.0);
// Where the image's centre sits from the point: standing on it, hanging
// below it ("manual") or centred (the current position).
QPointF annotationCenterOffset(const QString& reuseIdentifier, const QSizeF& imageSize);
// The recording's thumbnail; null when it cannot be read.
QImage annotationThumbnailImage(const CustomPointAnnotation& annotation);

}  // namespace dashcard
