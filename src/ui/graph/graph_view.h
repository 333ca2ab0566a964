#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/graph/graph_layer_drawer.h"
#include "core/graph/progress_layer_drawer.h"
#include "ui/graph/custom_layer_view.h"

#include <memory>
#include <optional>

namespace dashcard {

// The chart with its cursor. A press or drag with the left button asks to
// seek to the position under the pointer; with Shift held, a drag marks a
// span instead; hovering reports the position.
class GraphView : public CustomLayerView {
  Q_OBJECT
 public:
  explicit GraphView(QWidget* parent = nullptr);

  void setDrawers(std::shared_ptr<GraphLayerDrawer> chart, std::shared_ptr<ProgressLayerDrawer> cursor);
  GraphLayerDrawer* graphLayerDrawer() const { return chart_.get(); }
  ProgressLayerDrawer* progressLayerDrawer() const { return cursor_.get(); }

  // The recording's groups (with at least one) and the axis ends; none
  // otherwise, keeping the ends.
  void updateDrawerWithDCFInfo(const DCFInfoPtr& info, double maxSpeed, double maxMotionABS);
  // Moves the cursor, repainting the strips it leaves and enters.
  void updateCurrentPositionWithProgress(float progress);
  // The position (0..1) under a point of the view.
  double progressAt(const QPointF& point) const;
  // Forgets a press-and-drag without a signal.
  void cancelSeek();

 signals:
  void seekPressed(double progress);
  void seekMoved(double progress);
  void seekReleased(double progress);
  // A drag ended without its release: another button was pressed (a menu
  // opens), the pointer came back with the button up, or the view hid.
  void seekCancelled();
  void hovered(double progress, const QPoint& globalPosition);
  // A Shift-drag covers positions `from` to `to` (0..1, in order).
  void spanMarked(double from, double to);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QRect cursorStrip() const;
  void seekWasCancelled();

  std::shared_ptr<GraphLayerDrawer> chart_;
  std::shared_ptr<ProgressLayerDrawer> cursor_;
  bool seeking_ = false;
  std::optional<double> markAnchor_;
};

}  // namespace dashcard
