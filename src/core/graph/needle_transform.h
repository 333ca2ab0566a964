#pragma once

#include <QTransform>

namespace dashcard {

// Where the gauge's needle points for a speed: 0 at 135 degrees left of
// straight up, 1.5 degrees clockwise per unit, so 90 is straight up and 180
// lies 135 degrees right of it.
class NeedleTransform {
 public:
  NeedleTransform() = delete;

  // The turn in radians, counter-clockwise on a y-up chart (worked in float
  // steps; the error is far below a pixel of the needle's tip).
  static double rotationAngleForSpeed(float speed);
  // The same turn for a y-down paint device (screen, QImage): apply it about
  // the needle's centre.
  static QTransform rotationTransformForSpeed(float speed);
};

}  // namespace dashcard
