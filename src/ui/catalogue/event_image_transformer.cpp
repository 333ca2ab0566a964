#include "ui/catalogue/event_image_transformer.h"

namespace dashcard {

QString EventImageTransformer::imageNameForEventKind(const QString& kind) {
  if (kind == QLatin1String("EVENT")) return QStringLiteral("event_Accident");
  if (kind == QLatin1String("MANUAL")) return QStringLiteral("event_manual");
  if (kind == QLatin1String("PARKING")) return QStringLiteral("event_Parking");
  return {};
}

QIcon EventImageTransformer::transformedValue(const QString& kind) {
  const QString name = imageNameForEventKind(kind);
  return name.isEmpty() ? QIcon() : QIcon(QStringLiteral(":/images/%1.svg").arg(name));
}

}  // namespace dashcard
