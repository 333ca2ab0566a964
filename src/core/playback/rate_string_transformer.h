#pragma once

#include <QString>

#include <optional>

namespace dashcard {

// The rate button's text: "x1/2" for 0.5, otherwise "x" and the rate.
class RateStringTransformer {
 public:
  // A null string for no value.
  static QString transformedValue(std::optional<double> rate);
};

}  // namespace dashcard
