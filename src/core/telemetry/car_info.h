#pragma once

namespace dashcard {

// One vehicle-interface sample: speed as a whole number (-1 when the sample
// carried none) and the four lamp flags.
struct CarInfo {
  int speed = -1;
  bool isBrakeOn = false;
  bool isBackOn = false;
  bool isLetfWinkerOn = false;
  bool isRightWinkerOn = false;

  // True when the sample carries data (a speed of 0 or more); the flags
  // mean something only then.
  bool isInvalidData() const { return speed >= 0; }

  bool operator==(const CarInfo& other) const = default;
};

}  // namespace dashcard
