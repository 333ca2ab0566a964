#pragma once

#include <QString>

#include <array>

namespace dashcard {

// The ends of the graph's axes and the texts of their five labels (index 0
// at the bottom, 4 at the top).
class GraphScale {
 public:
  GraphScale() = delete;

  // 120, 180 or 240: the speed axis end, in the user's unit, for a top speed in m/s.
  static double speedLabelMaxValue(double metresPerSecond);
  // 1 up to 1 G, then the next whole number up to 8, 9 above 8.
  static double motionLabelMaxABSValue(double value);
  // "0", s/4, s/2, 3s/4, s of the truncated maximum, in whole numbers.
  static std::array<QString, 5> speedLabelTexts(double maxSpeed);
  // -M, -M/2, 0, M/2, M with one decimal.
  static std::array<QString, 5> motionLabelTexts(double maxMotionABS);
};

}  // namespace dashcard
