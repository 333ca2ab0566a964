#include "ui/app/top_split_view_controller.h"

#include <QShowEvent>

#include <cstdlib>

namespace dashcard {

TopSplitViewController::TopSplitViewController(QWidget* parent)
    : SplitViewController(Qt::Horizontal, QStringLiteral("TopSplitViewControllerAutosaveName"), parent) {
  setObjectName(QStringLiteral("TopSplitViewController"));
}

int TopSplitViewController::constrainSplitPosition(int proposedPosition, int) const {
  return std::abs(proposedPosition - kSnapPosition) < kSnapDistance ? kSnapPosition : proposedPosition;
}

void TopSplitViewController::showEvent(QShowEvent* event) {
  SplitViewController::showEvent(event);
  if (event->spontaneous()) return;
  // The side bar is back whenever the window is shown again.
  expandItem(0, false);
}

}  // namespace dashcard
