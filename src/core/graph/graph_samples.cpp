#include "core/graph/graph_samples.h"

#include <cmath>

namespace dashcard {

float GraphSamples::displaySpeed(const CustomLocation& location) {
  const float v = location.speed != -1.0 ? location.speedForCurrentLocale()
                                         : CustomLocation::speedForCurrentLocale(location.correctedSpeed);
  return std::isnan(v) || v < 0.0f ? 0.0f : v;
}

}  // namespace dashcard
