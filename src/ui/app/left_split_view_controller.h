#pragma once

#include "ui/app/split_view_controller.h"

namespace dashcard {

// The side bar: the list tabs over the map. Its divider snaps to 215 points
// above the bottom when dropped near there.
class LeftSplitViewController : public SplitViewController {
  Q_OBJECT
 public:
  static constexpr int kMapSnapHeight = 215;
  static constexpr int kSnapDistance = 50;

  explicit LeftSplitViewController(QWidget* parent = nullptr);
  int constrainSplitPosition(int proposedPosition, int dividerIndex) const override;
};

}  // namespace dashcard
