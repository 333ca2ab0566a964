#include "ui/telemetry/indicator_image_view.h"

namespace dashcard {

IndicatorImageView::IndicatorImageView(QWidget* parent) : QLabel(parent) {
  hideTimer_.setSingleShot(true);
  connect(&hideTimer_, &QTimer::timeout, this, &IndicatorImageView::hideImage);
  setAlignment(Qt::AlignCenter);
}

void IndicatorImageView::showImageImmidiately(const QPixmap& image) {
  if (image.isNull()) {
    clear();
  } else {
    setPixmap(image);
  }
}

void IndicatorImageView::showImage(const QPixmap& image, double remainTimeSecond) {
  if (image.isNull()) return;
  hideTimer_.stop();
  setPixmap(image);
  if (remainTimeSecond != 0.0) hideTimer_.start(static_cast<int>(remainTimeSecond * 1000.0));
}

void IndicatorImageView::hideImage() {
  clear();
  setToolTip(QString());
  hideTimer_.stop();
}

}  // namespace dashcard
