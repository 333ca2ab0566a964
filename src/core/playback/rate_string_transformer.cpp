#include "core/playback/rate_string_transformer.h"

namespace dashcard {

QString RateStringTransformer::transformedValue(std::optional<double> rate) {
  if (!rate) return {};
  if (*rate == 0.5) return QStringLiteral("x1/2");
  if (*rate == 0.0) return QStringLiteral("x0");
  // The shortest text of the number: 2 -> "x2", 0.25 -> "x0.25".
  return QStringLiteral("x") + QString::number(*rate, 'g', 15);
}

}  // namespace dashcard
