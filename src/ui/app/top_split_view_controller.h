#pragma once

#include "ui/app/split_view_controller.h"

namespace dashcard {

// The window's content: the side bar (lists over map) beside the players and
// graph. Its divider snaps to 410 points when dropped near it.
class TopSplitViewController : public SplitViewController {
  Q_OBJECT
 public:
  static constexpr int kSnapPosition = 410;
  static constexpr int kSnapDistance = 50;

  explicit TopSplitViewController(QWidget* parent = nullptr);
  int constrainSplitPosition(int proposedPosition, int dividerIndex) const override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace dashcard
