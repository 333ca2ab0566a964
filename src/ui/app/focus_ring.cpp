#include "ui/app/focus_ring.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace dashcard {

FocusRing::FocusRing(QWidget* target) : QWidget(target), target_(target) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
  target->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
}

void FocusRing::follow(QWidget* now) {
  const bool focused = target_ && now && (now == target_ || now->focusProxy() == target_);
  if (focused) {
    setGeometry(target_->rect());
    raise();
  }
  setVisible(focused);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
  if (watched == target_ && event->type() == QEvent::Resize) setGeometry(target_->rect());
  // Children added later (a new video surface) must not cover the ring.
  if (watched == target_ && event->type() == QEvent::ChildAdded && isVisible()) raise();
  return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

}  // namespace dashcard
