#include "ui/app/left_split_view_controller.h"

#include <cstdlib>

namespace dashcard {

LeftSplitViewController::LeftSplitViewController(QWidget* parent)
    : SplitViewController(Qt::Vertical, QStringLiteral("LeftSplitViewControllerAutosaveName"), parent) {
  setObjectName(QStringLiteral("LeftSplitViewController"));
}

int LeftSplitViewController::constrainSplitPosition(int proposedPosition, int) const {
  const int snap = height() - kMapSnapHeight;
  return std::abs(proposedPosition - snap) < kSnapDistance ? snap : proposedPosition;
}

}  // namespace dashcard
