#include "ui/catalogue/custom_table_view.h"

#include "core/common/startup_marks.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScrollBar>

#include <algorithm>

namespace dashcard {

CustomTableView::CustomTableView(QWidget* parent) : QTableView(parent) {
  setMouseTracking(true);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setAlternatingRowColors(true);
  verticalHeader()->hide();
  horizontalHeader()->setHighlightSections(false);
}

void CustomTableView::enterEvent(QEnterEvent* event) {
  mouseIsOver_ = true;
  QTableView::enterEvent(event);
}

void CustomTableView::leaveEvent(QEvent* event) {
  mouseIsOver_ = false;
  QTableView::leaveEvent(event);
}

void CustomTableView::mousePressEvent(QMouseEvent* event) {
  const int row = rowAt(event->position().toPoint().y());
  const bool wasSelected = row >= 0 && selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
  QTableView::mousePressEvent(event);
  if (row >= 0 && extendedDelegate_) extendedDelegate_->tableViewDidClickedRow(this, row, wasSelected);
}

void CustomTableView::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (model() && model()->rowCount() > 0) markStartupMoment(StartupMoment::ListShown);
}

int CustomTableView::centredOffsetForRow(int row) const {
  if (!model() || row < 0 || row >= model()->rowCount()) return verticalScrollBar()->value();
  const int rowY = rowViewportPosition(row) + verticalScrollBar()->value();
  const int clipHeight = viewport()->height();
  const int target = std::max(0, rowY + (rowHeight(row) - clipHeight) / 2);
  return std::min(target, verticalScrollBar()->maximum());
}

void CustomTableView::scrollWithAnimationToRowIndex(int row, bool force) {
  if (!force && mouseIsOver_) return;
  if (!model() || row < 0 || row >= model()->rowCount()) return;
  const int target = centredOffsetForRow(row);
  if (scrollAnimation_) scrollAnimation_->stop();
  if (!isVisible()) {
    verticalScrollBar()->setValue(target);
    return;
  }
  auto* animation = new QPropertyAnimation(verticalScrollBar(), "value", this);
  animation->setDuration(200);
  animation->setEndValue(target);
  animation->setEasingCurve(QEasingCurve::OutCubic);
  scrollAnimation_ = animation;
  animation->start(QAbstractAnimation::DeleteWhenStopped);
}

QList<int> CustomTableView::selectedRowIndexes() const {
  QList<int> rows;
  if (!selectionModel()) return rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace dashcard
