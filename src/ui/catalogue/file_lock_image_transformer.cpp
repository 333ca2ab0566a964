#include "ui/catalogue/file_lock_image_transformer.h"

namespace dashcard {

QIcon FileLockImageTransformer::transformedValue(const QVariant& isProtected) {
  if (!isProtected.isValid() || isProtected.isNull() || !isProtected.toBool()) return {};
  return QIcon(QStringLiteral(":/images/protect.svg"));
}

}  // namespace dashcard
