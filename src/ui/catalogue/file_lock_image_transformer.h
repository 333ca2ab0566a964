#pragma once

#include <QIcon>
#include <QVariant>

namespace dashcard {

// The row image of a protected recording: "protect" for true, none for false
// or a missing value.
class FileLockImageTransformer {
 public:
  static QIcon transformedValue(const QVariant& isProtected);
};

}  // namespace dashcard
