#pragma once

#include <QIcon>
#include <QString>

namespace dashcard {

// The row image of a recording's event kind: "EVENT", "MANUAL" and "PARKING"
// have one; "NORMAL" and anything else have none (a null icon).
class EventImageTransformer {
 public:
  static QString imageNameForEventKind(const QString& kind);
  static QIcon transformedValue(const QString& kind);
};

}  // namespace dashcard
