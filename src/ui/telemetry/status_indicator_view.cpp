#include "ui/telemetry/status_indicator_view.h"

#include <QPainter>

namespace dashcard {

StatusIndicatorView::StatusIndicatorView(const QPixmap& atitiveImage, const QPixmap& deactiveImage, QWidget* parent)
    : QWidget(parent), atitiveImage_(atitiveImage), deactiveImage_(deactiveImage) {
  setFixedSize(atitiveImage_.deviceIndependentSize().toSize());
  fade_.setDuration(200);
  fade_.setStartValue(0.0);
  fade_.setEndValue(1.0);
  connect(&fade_, &QVariantAnimation::valueChanged, this, [this] { update(); });
  connect(&fade_, &QVariantAnimation::finished, this, [this] { previous_ = QPixmap(); });
  isOn_ = false;
  updateOff();
  setIsEnabled(false);
}

void StatusIndicatorView::setIsOn(bool on) {
  if (on == isOn_) return;
  isOn_ = on;
  if (on) {
    updateOn();
  } else {
    updateOff();
  }
}

void StatusIndicatorView::setIsEnabled(bool enabled) {
  isEnabled_ = enabled;
  update();
}

void StatusIndicatorView::updateOn() { updateBackgroundImage(atitiveImage_, true); }
void StatusIndicatorView::updateOff() { updateBackgroundImage(deactiveImage_, true); }

void StatusIndicatorView::forceClear() {
  isOn_ = false;
  updateBackgroundImage(deactiveImage_, false);
}

void StatusIndicatorView::updateBackgroundImage(const QPixmap& image, bool withAnimation) {
  fade_.stop();
  previous_ = withAnimation ? current_ : QPixmap();
  current_ = image;
  if (withAnimation) fade_.start();
  update();
}

void StatusIndicatorView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const qreal base = opacity();
  const qreal t = isAnimating() ? fade_.currentValue().toReal() : 1.0;
  if (!previous_.isNull() && t < 1.0) {
    painter.setOpacity(base * (1.0 - t));
    painter.drawPixmap(rect(), previous_);
  }
  painter.setOpacity(base * t);
  painter.drawPixmap(rect(), current_);
}

}  // namespace dashcard
