#include "ui/app/placeholder_graph_pane.h"

#include "core/common/color_palette.h"

#include <QPainter>

namespace dashcard {

PlaceholderGraphPane::PlaceholderGraphPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("GraphPane"));
  // It receives the playback keys of the window.
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(320, 150);
}

void PlaceholderGraphPane::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ColorPalette::graphBackGroundColor());
}

}  // namespace dashcard
