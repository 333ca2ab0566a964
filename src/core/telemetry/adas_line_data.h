#pragma once

#include <QColor>
#include <QRgb>

namespace dashcard {

// One drive-support mark of the telemetry graph: where in its group it falls
// (5 is the group itself) and its colour. The colour is kept as 8-bit ARGB
// so that reading it needs no call into the GUI library (dashcard-cli).
class ADASLineData {
 public:
  ADASLineData(double position, QRgb argb) : position_(position), argb_(argb) {}

  double position() const { return position_; }
  QRgb argb() const { return argb_; }
  QColor color() const {
    return QColor(QColor::Rgb, static_cast<ushort>(qAlpha(argb_) * 0x101), static_cast<ushort>(qRed(argb_) * 0x101),
                  static_cast<ushort>(qGreen(argb_) * 0x101), static_cast<ushort>(qBlue(argb_) * 0x101));
  }

 private:
  double position_;
  QRgb argb_;
};

}  // namespace dashcard
