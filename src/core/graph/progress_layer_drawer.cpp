#include "core/graph/progress_layer_drawer.h"

#include "core/common/color_palette.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {
constexpr double kLineWidth = 2.0;
}

double ProgressLayerDrawer::cursorX(double width) const {
  return static_cast<double>(progress_) * (width - 2.0 * offsetX_) + offsetX_;
}

void ProgressLayerDrawer::drawContents(QPainter* painter, const QRectF& rect) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(QPen(ColorPalette::graphAxisColor(), kLineWidth, Qt::SolidLine, Qt::FlatCap));
  const double x = rect.left() + cursorX(rect.width());
  painter->drawLine(QPointF(x, rect.top() + offsetY_), QPointF(x, rect.bottom() - offsetY_));
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
