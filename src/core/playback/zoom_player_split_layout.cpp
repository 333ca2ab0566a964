#include "core/playback/zoom_player_split_layout.h"

#include <cmath>

namespace dashcard {

double ZoomPlayerSplitLayout::constrainSplitPosition(double proposed, double splitWidth, double dividerThickness,
                                                     bool secondaryPlayerEnable) {
  if (!secondaryPlayerEnable) return splitWidth;
  const double middle = (splitWidth - dividerThickness) * 0.5;
  return std::abs(proposed - middle) < kSnapDistance ? middle : proposed;
}

}  // namespace dashcard
