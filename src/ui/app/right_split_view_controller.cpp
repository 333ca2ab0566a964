#include "ui/app/right_split_view_controller.h"

#include <QShowEvent>

namespace dashcard {

RightSplitViewController::RightSplitViewController(QWidget* parent)
    : SplitViewController(Qt::Vertical, QStringLiteral("RightSplitViewControllerAutosaveName"), parent) {
  setObjectName(QStringLiteral("RightSplitViewController"));
}

void RightSplitViewController::showEvent(QShowEvent* event) {
  SplitViewController::showEvent(event);
  if (!event->spontaneous()) expandItem(1, false);
}

}  // namespace dashcard
