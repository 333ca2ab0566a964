#include "ui/app/top_split_view_controller.h"

#include "core/common/notification_center.h"

#include <QHideEvent>
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
  expandItem(0, false);
  emit didAppear();
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kTopSplitViewControllerDidAppearNotification), this);
}

void TopSplitViewController::hideEvent(QHideEvent* event) {
  SplitViewController::hideEvent(event);
  if (event->spontaneous()) return;
  emit didDisappear();
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kTopSplitViewControllerDidDisappearNotification), this);
}

}  // namespace dashcard
