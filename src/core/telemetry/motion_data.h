#pragma once

namespace dashcard {

// One G-sensor sample: the three axes as written in the file (units of g;
// the sensor's "no reading" marker is already 0.0). Read-only once made.
class MotionData {
 public:
  MotionData(double gx, double gy, double gz) : gx_(gx), gy_(gy), gz_(gz) {}

  double gx() const { return gx_; }
  double gy() const { return gy_; }
  double gz() const { return gz_; }

  bool operator==(const MotionData& other) const = default;

 private:
  double gx_;
  double gy_;
  double gz_;
};

}  // namespace dashcard
