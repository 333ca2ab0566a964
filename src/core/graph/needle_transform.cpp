#include "core/graph/needle_transform.h"

namespace dashcard {

namespace {
constexpr double kThreeHalvesPi = 4.71238898038469;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kThreeQuartersPi = 2.356194490192345;
}  // namespace

double NeedleTransform::rotationAngleForSpeed(float speed) {
  float a = speed / -180.0f;
  a = static_cast<float>(static_cast<double>(a) * kThreeHalvesPi);
  a = static_cast<float>(static_cast<double>(a) + kTwoPi);
  return static_cast<double>(a) + kThreeQuartersPi;
}

QTransform NeedleTransform::rotationTransformForSpeed(float speed) {
  // y points down on screen, so a counter-clockwise turn is a negative angle.
  QTransform transform;
  transform.rotateRadians(-rotationAngleForSpeed(speed));
  return transform;
}

}  // namespace dashcard
