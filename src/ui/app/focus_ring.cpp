#include "ui/app/focus_ring.h"

#include <QFocusEvent>
#include <QPainter>

namespace dashcard {

FocusRing::FocusRing(QWidget* target) : QWidget(target), target_(target) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
  target->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
  if (watched != target_) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::FocusIn: {
      // Only keys bring the ring: a click already shows where the user is.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
        setGeometry(target_->rect());
        show();
        raise();
      }
      break;
    }
    case QEvent::FocusOut:
      hide();
      break;
    case QEvent::Resize:
      setGeometry(target_->rect());
      break;
    case QEvent::ChildAdded:
      // A surface added later (a new video widget) must not cover the ring.
      if (isVisible()) raise();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

}  // namespace dashcard
