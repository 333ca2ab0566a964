#include "ui/graph/needle_view.h"

#include "core/graph/needle_transform.h"
#include "ui/telemetry/image_assets.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dashcard {

NeedleView::NeedleView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // The usual length of an implicit layer animation.
  turn_.setDuration(250);
  turn_.setEasingCurve(QEasingCurve::InOutQuad);
  connect(&turn_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    shown_ = value.toFloat();
    update();
  });
  showTimer_.setSingleShot(true);
  showTimer_.setInterval(500);
  connect(&showTimer_, &QTimer::timeout, this, &NeedleView::showNeedle);
}

void NeedleView::setup() {
  if (isSetUp_) return;
  isSetUp_ = true;
  intitialNeedlePosotion();
}

void NeedleView::intitialNeedlePosotion() {
  alpha_ = 0.0;
  update();
  QMetaObject::invokeMethod(
      this,
      [this] {
        turnTo(0.0f, false);
        showNeedle();
      },
      Qt::QueuedConnection);
}

void NeedleView::hideNeedle() {
  alpha_ = 0.0;
  turnTo(0.0f, false);
  showTimer_.start();
}

void NeedleView::showNeedle() {
  alpha_ = 1.0;
  update();
}

void NeedleView::updateLayerWithSpeed(float speed) {
  if (speed < 0.0f || std::isnan(speed)) return;
  turnTo(std::min(speed, 180.0f), true);
}

void NeedleView::turnTo(float speed, bool animated) {
  if (!animated) {
    turn_.stop();
    target_ = speed;
    shown_ = speed;
    update();
    return;
  }
  // Already there or on the way: a steady speed starts no animation.
  if (speed == target_) return;
  target_ = speed;
  turn_.stop();
  if (alpha_ > 0.0) {
    turn_.setStartValue(shown_);
    turn_.setEndValue(speed);
    turn_.start();
  } else {
    shown_ = speed;
    update();
  }
}

void NeedleView::resizeEvent(QResizeEvent*) {
  needle_ = QPixmap();
  if (isSetUp_) hideNeedle();
}

void NeedleView::paintEvent(QPaintEvent*) {
  if (alpha_ <= 0.0) return;
  const int side = std::min(width(), height());
  if (side <= 0) return;
  if (needle_.isNull()) needle_ = ImageAssets::imageNamed(QStringLiteral("needle"), QSize(side, side), devicePixelRatioF());
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setOpacity(alpha_);
  painter.translate(width() / 2.0, height() / 2.0);
  painter.setTransform(NeedleTransform::rotationTransformForSpeed(shown_), true);
  painter.drawPixmap(QPointF(-side / 2.0, -side / 2.0), needle_);
}

}  // namespace dashcard
