#pragma once

namespace dashcard {

// The divider rule of the front/rear split: near the middle it snaps to the
// middle; without a rear camera the rear pane stays collapsed.
struct ZoomPlayerSplitLayout {
  static constexpr double kSnapDistance = 50.0;

  static double constrainSplitPosition(double proposed, double splitWidth, double dividerThickness,
                                       bool secondaryPlayerEnable);
};

}  // namespace dashcard
