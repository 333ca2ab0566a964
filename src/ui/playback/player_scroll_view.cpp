#include "ui/playback/player_scroll_view.h"


#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QStyleHints>
#include <QWheelEvent>

#include <cmath>

namespace dashcard {

PlayerScrollView::PlayerScrollView(QWidget* parent) : QWidget(parent), picture_(new QLabel(this)) {
  setFocusPolicy(Qt::StrongFocus);  // a clicked player takes the keys
  setMouseTracking(true);
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setScaledContents(false);
  picture_->hide();
  picture_->setAttribute(Qt::WA_TransparentForMouseEvents);
  connect(&clicks_, &PlayerClickCounter::singleClick, this, [this] {
    if (singleClickBlock_) singleClickBlock_(this);
  });
  connect(&clicks_, &PlayerClickCounter::doubleClick, this, [this] {
    if (doubleClickBlock_) doubleClickBlock_(this);
  });
  connect(&clicks_, &PlayerClickCounter::fullScreenControl, this, &PlayerScrollView::fullScreenControl);
}

void PlayerScrollView::setDocumentView(QWidget* view) {
  document_ = view;
  if (!view) return;
  view->setParent(this);
  view->setAttribute(Qt::WA_TransparentForMouseEvents);
  view->setGeometry(rect());
  view->lower();
  view->show();
}

void PlayerScrollView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  zoom_.setBounds(size());
  if (document_) document_->setGeometry(rect());
  picture_->setGeometry(rect());
  emit didScroll(true);
}

void PlayerScrollView::magnify(double factor, const QPointF& centre) {
  if (!scrollingEnabled_ || !(factor > 0.0)) return;
  zoom_.setMagnification(zoom_.magnification() * factor, centre);
  zoom_.didScroll(false);
  emit didScroll(false);
  resetCursorRects();
}

void PlayerScrollView::fullScreenControl() { emit tripleTapped(); }

void PlayerScrollView::mouseUpWithClickCount(const QPointF& position, int clickCount) {
  if (!scrollingEnabled_ || zoom_.controlBarRect().contains(position)) return;
  clicks_.mouseUp(clickCount);
}

void PlayerScrollView::panBegan() {
  panOffset_ = zoom_.origin();
  mouseIsDown_ = true;
  resetCursorRects();
}

void PlayerScrollView::panChanged(const QPointF& translation) {
  if (!scrollingEnabled_) return;
  // The content follows the hand.
  const QPointF p = panOffset_ - translation / zoom_.magnification();
  zoom_.scrollToPoint(p);
  zoom_.didScroll(false);
  emit didScroll(false);
  // The bottom-pane rule measures the scroll point with y up (the origin at
  // the bottom), so dragging up gives a negative y.
  const double maxY = zoom_.bounds().height() - zoom_.bounds().height() / zoom_.magnification();
  const QPointF scrollPoint(panOffset_.x() - translation.x(), (maxY - panOffset_.y()) + translation.y());
  const auto action = PlayerZoomModel::bottomPaneActionForPanPoint(scrollPoint);
  if (action != PlayerZoomModel::BottomPaneAction::None) emit bottomPaneAction(action);
}

void PlayerScrollView::panEnded() {
  mouseIsDown_ = false;
  resetCursorRects();
}

void PlayerScrollView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  pressPosition_ = event->position();
  dragging_ = false;
  if (scrollingEnabled_) panBegan();
}

void PlayerScrollView::mouseMoveEvent(QMouseEvent* event) {
  if (mouseIsDown_ && (event->buttons() & Qt::LeftButton)) {
    const QPointF t = event->position() - pressPosition_;
    if (!dragging_ && t.manhattanLength() >= QApplication::startDragDistance()) dragging_ = true;
    if (dragging_) panChanged(t);
  }
  resetCursorRects();
}

void PlayerScrollView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  const bool wasDrag = dragging_;
  dragging_ = false;
  panEnded();
  if (wasDrag) {
    clickCount_ = 0;
    return;
  }
  // The platform's click count: successive clicks close in time and place.
  const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
  const bool continues = lastRelease_.isValid() && lastRelease_.elapsed() <= interval &&
                         (event->position() - lastReleasePosition_).manhattanLength() < 6;
  clickCount_ = continues ? clickCount_ + 1 : 1;
  lastRelease_.start();
  lastReleasePosition_ = event->position();
  mouseUpWithClickCount(event->position(), clickCount_);
}

void PlayerScrollView::mouseDoubleClickEvent(QMouseEvent* event) {
  // Counted in mouseReleaseEvent; a double-click event also presses.
  mousePressEvent(event);
}

void PlayerScrollView::wheelEvent(QWheelEvent* event) {
  if (!scrollingEnabled_) return;
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0.0) return;
  magnify(std::pow(1.25, steps), event->position());
}

bool PlayerScrollView::event(QEvent* event) {
  if (event->type() == QEvent::NativeGesture) {
    auto* gesture = static_cast<QNativeGestureEvent*>(event);
    if (gesture->gestureType() == Qt::ZoomNativeGesture && scrollingEnabled_) {
      magnify(1.0 + gesture->value(), gesture->position());
      return true;
    }
  }
  return QWidget::event(event);
}

void PlayerScrollView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    clicks_.cancelOperation();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PlayerScrollView::resetCursorRects() {
  const QPointF at = mapFromGlobal(QCursor::pos());
  switch (zoom_.cursorAt(at, mouseIsDown_)) {
    case PlayerZoomModel::Cursor::Arrow:
      setCursor(Qt::ArrowCursor);
      break;
    case PlayerZoomModel::Cursor::Crosshair:
      setCursor(Qt::CrossCursor);
      break;
    case PlayerZoomModel::Cursor::OpenHand:
      setCursor(Qt::OpenHandCursor);
      break;
    case PlayerZoomModel::Cursor::ClosedHand:
      setCursor(Qt::ClosedHandCursor);
      break;
  }
}

}  // namespace dashcard
