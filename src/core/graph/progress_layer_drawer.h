#pragma once

#include "core/graph/layer_drawer.h"

#include <QRect>
#include <QSizeF>

#include <optional>

namespace dashcard {

// The playback cursor: a vertical line 2 points wide at `progress` of the
// width between the two side margins; under it the span marked for a video
// export, as a band with its ends drawn as lines.
class ProgressLayerDrawer : public LayerDrawer {
 public:
  void drawContents(QPainter* painter, const QRectF& rect) const override;

  float progress() const { return progress_; }
  void setProgress(float value) { progress_ = value; }
  double offsetX() const { return offsetX_; }
  void setOffsetX(double value) { offsetX_ = value; }
  double offsetY() const { return offsetY_; }
  void setOffsetY(double value) { offsetY_ = value; }
  // The marked span in fractions of the recording shown; an end outside 0..1
  // lies in another recording and draws no line. With one end only, only its
  // line is drawn.
  void setMarkedSpan(std::optional<double> from, std::optional<double> to) {
    markedFrom_ = from;
    markedTo_ = to;
  }
  std::optional<double> markedFrom() const { return markedFrom_; }
  std::optional<double> markedTo() const { return markedTo_; }

  // x of the line in a layer of `width`.
  double cursorX(double width) const;
  // The pixels the line covers in a layer of `size` (with a pixel to spare on
  // each side): what to repaint when the cursor moves.
  QRect cursorRect(const QSizeF& size) const;
  // The progress under x in a layer of `width`, clamped to 0..1.
  double progressForX(double x, double width) const;

 private:
  float progress_ = 0.0f;
  double offsetX_ = 0.0;
  double offsetY_ = 0.0;
  std::optional<double> markedFrom_;
  std::optional<double> markedTo_;
};

}  // namespace dashcard
