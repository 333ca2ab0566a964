#include "core/graph/progress_layer_drawer.h"

#include "core/common/color_palette.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {
constexpr double kLineWidth = 2.0;
const QColor kMarkColor(255, 196, 0);
const QColor kMarkBandColor(255, 196, 0, 48);
}  // namespace

double ProgressLayerDrawer::cursorX(double width) const {
  return static_cast<double>(progress_) * (width - 2.0 * offsetX_) + offsetX_;
}

void ProgressLayerDrawer::drawContents(QPainter* painter, const QRectF& rect) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  const double top = rect.top() + offsetY_;
  const double bottom = rect.bottom() - offsetY_;
  const auto xOf = [&](double fraction) { return rect.left() + fraction * (rect.width() - 2.0 * offsetX_) + offsetX_; };
  if (markedFrom_ && markedTo_) {
    const double from = std::clamp(*markedFrom_, 0.0, 1.0);
    const double to = std::clamp(*markedTo_, 0.0, 1.0);
    if (to > from) painter->fillRect(QRectF(QPointF(xOf(from), top), QPointF(xOf(to), bottom)), kMarkBandColor);
  }
  painter->setPen(QPen(kMarkColor, 1.0));
  for (const std::optional<double>& end : {markedFrom_, markedTo_}) {
    if (end && *end >= 0.0 && *end <= 1.0) painter->drawLine(QPointF(xOf(*end), top), QPointF(xOf(*end), bottom));
  }
  painter->setPen(QPen(ColorPalette::graphAxisColor(), kLineWidth, Qt::SolidLine, Qt::FlatCap));
  const double x = rect.left() + cursorX(rect.width());
  painter->drawLine(QPointF(x, top), QPointF(x, bottom));
  painter->restore();
}

QRect ProgressLayerDrawer::cursorRect(const QSizeF& size) const {
  const double x = cursorX(size.width());
  const int from = static_cast<int>(std::floor(x - kLineWidth)) - 1;
  const int to = static_cast<int>(std::ceil(x + kLineWidth)) + 1;
  return QRect(from, 0, to - from + 1, static_cast<int>(std::ceil(size.height())));
}

double ProgressLayerDrawer::progressForX(double x, double width) const {
  const double usable = width - 2.0 * offsetX_;
  if (!(usable > 0.0)) return 0.0;
  return std::clamp((x - offsetX_) / usable, 0.0, 1.0);
}

}  // namespace dashcard
