#include "core/playback/player_zoom_model.h"

#include <algorithm>
#include <cmath>

namespace dashcard {

void PlayerZoomModel::setBounds(const QSizeF& bounds) {
  bounds_ = QSizeF(std::max(1.0, bounds.width()), std::max(1.0, bounds.height()));
  scrollToPoint(origin_);
}

void PlayerZoomModel::setMagnification(double magnification) {
  setMagnification(magnification, QPointF(bounds_.width() / 2, bounds_.height() / 2));
}

void PlayerZoomModel::setMagnification(double magnification, const QPointF& centre) {
  if (!std::isfinite(magnification)) return;
  const double m = std::clamp(magnification, 1.0, kMaximumMagnification);
  // The content point under `centre` stays under it.
  const QPointF content = origin_ + centre / magnification_;
  magnification_ = m;
  scrollToPoint(content - centre / m);
}

void PlayerZoomModel::scrollToPoint(const QPointF& point) {
  const double maxX = bounds_.width() - bounds_.width() / magnification_;
  const double maxY = bounds_.height() - bounds_.height() / magnification_;
  const double x = std::isfinite(point.x()) ? point.x() : 0.0;
  const double y = std::isfinite(point.y()) ? point.y() : 0.0;
  origin_ = QPointF(std::clamp(x, 0.0, std::max(0.0, maxX)), std::clamp(y, 0.0, std::max(0.0, maxY)));
}

QRectF PlayerZoomModel::visibleRect() const {
  return QRectF(origin_, QSizeF(bounds_.width() / magnification_, bounds_.height() / magnification_));
}

void PlayerZoomModel::segmentDidChange(int segment) {
  const double w = bounds_.width();
  const double h = bounds_.height();
  switch (segment) {
    case 1:
      magnification_ = 1.0;
      origin_ = QPointF();
      break;
    case 2:
      magnification_ = 2.0;
      scrollToPoint(QPointF(w / magnification_ * 0.5, h / magnification_ * 0.5));
      break;
    case 3:
      magnification_ = 2.0;
      scrollToPoint(QPointF(0, 0));
      break;
    case 4:
      magnification_ = 2.0;
      scrollToPoint(QPointF(w, 0));
      break;
    case 5:
      magnification_ = 2.0;
      scrollToPoint(QPointF(0, h));
      break;
    case 6:
      magnification_ = 2.0;
      scrollToPoint(QPointF(w, h));
      break;
    default:
      // 0 (and anything unknown): the control goes back, nothing else changes.
      selectedSegment_ = lastSelectedSegment_;
      return;
  }
  selectedSegment_ = lastSelectedSegment_ = segment;
  didScroll(true);
}

void PlayerZoomModel::didScroll(bool fromSegment) {
  if (!fromSegment) selectedSegment_ = lastSelectedSegment_ = 0;
  const double m = magnification_;
  if (m < kSnapBackBelow) {
    magnification_ = 1.0;
    origin_ = QPointF();
    if (!fromSegment) selectedSegment_ = lastSelectedSegment_ = 1;
  }
  isInitialPosition_ = m < kSnapBackBelow;
}

PlayerZoomModel::BottomPaneAction PlayerZoomModel::bottomPaneActionForPanPoint(const QPointF& p) {
  if (std::abs(p.x()) <= 10.0 && std::abs(p.y()) > 10.0) {
    return p.y() < -10.0 ? BottomPaneAction::Show : BottomPaneAction::Hide;
  }
  return BottomPaneAction::None;
}

QRectF PlayerZoomModel::controlBarRect() const {
  return QRectF(0, bounds_.height() - kControlBarHeight, bounds_.width(), kControlBarHeight);
}

PlayerZoomModel::Cursor PlayerZoomModel::cursorAt(const QPointF& position, bool mouseIsDown) const {
  if (magnification_ > 1.0) return mouseIsDown ? Cursor::ClosedHand : Cursor::OpenHand;
  return controlBarRect().contains(position) ? Cursor::Arrow : Cursor::Crosshair;
}

void PlayerZoomModel::reset() {
  magnification_ = 1.0;
  origin_ = QPointF();
  selectedSegment_ = lastSelectedSegment_ = 1;
  isInitialPosition_ = true;
}

}  // namespace dashcard
