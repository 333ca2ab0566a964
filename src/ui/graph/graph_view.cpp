#include "ui/graph/graph_view.h"

#include "core/telemetry/nmea_data.h"

#include <QMouseEvent>

#include <algorithm>

namespace dashcard {

GraphView::GraphView(QWidget* parent) : CustomLayerView(parent) {
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
}

void GraphView::setDrawers(std::shared_ptr<GraphLayerDrawer> chart, std::shared_ptr<ProgressLayerDrawer> cursor) {
  chart_ = chart;
  cursor_ = cursor;
  setAccessoryLayerDrawer(std::move(cursor));
  setUpLayerWithDrawer(std::move(chart));
}

void GraphView::updateDrawerWithDCFInfo(const DCFInfoPtr& info, double maxSpeed, double maxMotionABS) {
  if (!chart_) return;
  const std::shared_ptr<NMEAData> nmea = info ? info->nmea() : nullptr;
  const GOPList gops = nmea ? nmea->GOPs() : GOPList();
  if (!gops.isEmpty()) {
    chart_->setCurrentGOPs(QList<GOPData>(gops.begin(), gops.end()));
    chart_->setMaxSpeedValue(maxSpeed);
    chart_->setMaxMotionABSValue(maxMotionABS);
  } else {
    chart_->setCurrentGOPs(std::nullopt);
  }
  updateDrawLayer();
}

QRect GraphView::cursorStrip() const {
  const QRectF area = accessoryLayerContentRect();
  return cursor_->cursorRect(area.size()).translated(area.topLeft().toPoint());
}

void GraphView::updateCurrentPositionWithProgress(float progress) {
  if (!cursor_) return;
  if (cursor_->progress() == progress) return;
  const QRect before = cursorStrip();
  cursor_->setProgress(progress);
  const QRect after = cursorStrip();
  // Most ticks move the line less than a pixel: nothing to repaint.
  if (after == before) return;
  if (before.intersects(after)) {
    updateAccessoryLayer(before.united(after));
  } else {
    updateAccessoryLayer(before);
    updateAccessoryLayer(after);
  }
}

double GraphView::progressAt(const QPointF& point) const {
  if (!cursor_) return 0.0;
  const QRectF area = accessoryLayerContentRect();
  return cursor_->progressForX(point.x() - area.left(), area.width());
}

void GraphView::cancelSeek() {
  seeking_ = false;
  markAnchor_.reset();
}

void GraphView::seekWasCancelled() {
  if (!seeking_ && !markAnchor_) return;
  cancelSeek();
  emit seekCancelled();
}

void GraphView::hideEvent(QHideEvent* event) {
  seekWasCancelled();
  CustomLayerView::hideEvent(event);
}

void GraphView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    seekWasCancelled();
    return CustomLayerView::mousePressEvent(event);
  }
  if (event->modifiers() & Qt::ShiftModifier) {
    markAnchor_ = progressAt(event->position());
    return;
  }
  seeking_ = true;
  emit seekPressed(progressAt(event->position()));
}

void GraphView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) seekWasCancelled();
  const double progress = progressAt(event->position());
  if (markAnchor_) emit spanMarked(std::min(*markAnchor_, progress), std::max(*markAnchor_, progress));
  if (seeking_) emit seekMoved(progress);
  emit hovered(progress, event->globalPosition().toPoint());
}

void GraphView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && markAnchor_) {
    const double progress = progressAt(event->position());
    emit spanMarked(std::min(*markAnchor_, progress), std::max(*markAnchor_, progress));
    markAnchor_.reset();
    return;
  }
  if (event->button() != Qt::LeftButton || !seeking_) return CustomLayerView::mouseReleaseEvent(event);
  seeking_ = false;
  emit seekReleased(progressAt(event->position()));
}

}  // namespace dashcard
