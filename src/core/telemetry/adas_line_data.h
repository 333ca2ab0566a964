#pragma once

#include <QColor>

namespace dashcard {

// One drive-support mark of the telemetry graph: where in its group it falls
// (5 is the group itself) and its colour.
class ADASLineData {
 public:
  ADASLineData(double position, const QColor& color) : position_(position), color_(color) {}

  double position() const { return position_; }
  QColor color() const { return color_; }

 private:
  double position_;
  QColor color_;
};

}  // namespace dashcard
