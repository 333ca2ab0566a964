#include "core/graph/graph_scale.h"

#include "core/telemetry/custom_location.h"

namespace dashcard {

double GraphScale::speedLabelMaxValue(double metresPerSecond) {
  const float v = CustomLocation::speedForCurrentLocale(metresPerSecond);
  if (v > 180.0f) return 240.0;
  if (v > 120.0f) return 180.0;
  return 120.0;
}

double GraphScale::motionLabelMaxABSValue(double value) {
  if (!(value > 1.0)) return 1.0;
  for (int n = 2; n <= 8; ++n) {
    if (value <= n) return n;
  }
  return 9.0;
}

std::array<QString, 5> GraphScale::speedLabelTexts(double maxSpeed) {
  const auto s = static_cast<long long>(maxSpeed);
  return {QStringLiteral("0"), QString::number(s / 4), QString::number(s / 2), QString::number(s * 3 / 4),
          QString::number(s)};
}

std::array<QString, 5> GraphScale::motionLabelTexts(double maxMotionABS) {
  const double m = maxMotionABS;
  return {QString::asprintf("%2.1f", -m), QString::asprintf("%2.1f", -0.5 * m), QString::asprintf("%2.1f", 0.0),
          QString::asprintf("%2.1f", 0.5 * m), QString::asprintf("%2.1f", m)};
}

}  // namespace dashcard
