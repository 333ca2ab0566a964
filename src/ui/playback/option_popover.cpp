#include "ui/playback/option_popover.h"

#include <QTimer>
#include <QVBoxLayout>

namespace dashcard {

void OptionPopover::showPopoverWithTarget(QWidget* target, const QString& message) {
  QPointer<QWidget> weakTarget(target);
  QTimer::singleShot(kDelayMs, [weakTarget, message] {
    if (!weakTarget || !weakTarget->isVisible()) return;
    auto* popover = new OptionPopover(message, weakTarget->window());
    popover->showPopup(weakTarget);
  });
}

OptionPopover::OptionPopover(const QString& messageString, QWidget* parent)
    : QFrame(parent, Qt::Popup), messageString_(messageString), messageTextField_(new QLabel(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 8);
  messageTextField_->setText(messageString_);
  messageTextField_->setWordWrap(true);
  layout->addWidget(messageTextField_);
}

void OptionPopover::showPopup(QWidget* target) {
  adjustSize();
  const QPoint topCentre = target->mapToGlobal(QPoint(target->width() / 2, 0));
  move(topCentre.x() - width() / 2, topCentre.y() - height());
  show();
}

}  // namespace dashcard
