#include "ui/export/activity_indicator.h"

#include <QPainter>

namespace dashcard {

namespace {
constexpr int kSpokes = 12;
}

ActivityIndicator::ActivityIndicator(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
  timer_.setInterval(80);
  connect(&timer_, &QTimer::timeout, this, [this] {
    step_ = (step_ + 1) % kSpokes;
    update();
  });
}

void ActivityIndicator::startAnimation() { timer_.start(); }

void ActivityIndicator::stopAnimation() { timer_.stop(); }

void ActivityIndicator::hideEvent(QHideEvent* event) {
  // A hidden spinner costs nothing.
  timer_.stop();
  QWidget::hideEvent(event);
}

void ActivityIndicator::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(width() / 2.0, height() / 2.0);
  const double radius = std::min(width(), height()) / 2.0;
  QColor colour = palette().color(QPalette::WindowText);
  for (int i = 0; i < kSpokes; ++i) {
    const int age = (step_ - i + kSpokes) % kSpokes;
    colour.setAlphaF(1.0 - age / double(kSpokes) * 0.85);
    p.setPen(QPen(colour, radius * 0.18, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.9));
    p.rotate(360.0 / kSpokes);
  }
}

}  // namespace dashcard
