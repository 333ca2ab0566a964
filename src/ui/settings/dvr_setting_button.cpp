#include "ui/settings/dvr_setting_button.h"

#include <QPainter>
#include <QPainterPath>

namespace dashcard {

DVRSettingButton::DVRSettingButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
}

void DVRSettingButton::setTitleColor(const QColor& color) {
  drawnTitleColor_ = color;
  update();
}

QSize DVRSettingButton::sizeHint() const {
  const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
  return {std::max(64, textSize.width() + 24), std::max(30, textSize.height() + 12)};
}

void DVRSettingButton::paintEvent(QPaintEvent* /*event*/) {
  QColor background;
  if (isDown()) {
    // The title keeps whatever colour it had.
    background = highlightColor();
  } else if (isChecked()) {
    background = selectedColor();
    drawnTitleColor_ = selectedTitleTextColor();
  } else {
    background = normalColor();
    drawnTitleColor_ = normalTitleTextColor();
  }
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double inset = kBorderWidth / 2.0;
  const QRectF face = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
  QPainterPath outline;
  outline.addRoundedRect(face, kCornerRadius, kCornerRadius);
  painter.setClipPath(outline);
  painter.fillPath(outline, background);
  painter.setClipping(false);
  painter.setPen(QPen(borderColor(), kBorderWidth));
  painter.drawPath(outline);
  painter.setPen(isEnabled() ? drawnTitleColor_ : drawnTitleColor_.darker(130));
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

}  // namespace dashcard
