#include "ui/app/split_view_controller.h"

#include <QMouseEvent>
#include <QSettings>
#include <QSplitterHandle>
#include <QVariantAnimation>

#include <algorithm>

namespace dashcard {

namespace {

constexpr int kAnimationMs = 180;

// Routes a drag through the split view's constraint before moving.
class ConstrainedHandle : public QSplitterHandle {
 public:
  ConstrainedHandle(Qt::Orientation orientation, SplitViewController* parent)
      : QSplitterHandle(orientation, parent), split_(parent) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      pressed_ = true;
      offset_ = pick(event->position().toPoint());
    }
    QSplitterHandle::mousePressEvent(event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!pressed_) return;
    const int proposed = pick(parentWidget()->mapFromGlobal(event->globalPosition().toPoint())) - offset_;
    const int index = split_->indexOf(this);
    moveSplitter(split_->constrainSplitPosition(proposed, index));
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) pressed_ = false;
    QSplitterHandle::mouseReleaseEvent(event);
  }

 private:
  int pick(const QPoint& p) const { return orientation() == Qt::Horizontal ? p.x() : p.y(); }
  SplitViewController* split_;
  bool pressed_ = false;
  int offset_ = 0;
};

}  // namespace

SplitViewController::SplitViewController(Qt::Orientation orientation, QString autosaveName,
                                         QWidget* parent)
    : QSplitter(orientation, parent), autosaveName_(std::move(autosaveName)) {
  setChildrenCollapsible(true);
  setHandleWidth(1);
  connect(this, &QSplitter::splitterMoved, this, [this](int, int) {
    noteSizes();
    saveState();
  });
}

QSplitterHandle* SplitViewController::createHandle() {
  return new ConstrainedHandle(orientation(), this);
}

int SplitViewController::extent() const {
  return orientation() == Qt::Horizontal ? width() : height();
}

bool SplitViewController::isItemCollapsed(int index) const {
  if (index < 0 || index >= count()) return false;
  // While an animation runs, the item already counts as where it is going.
  if (animation_ || !isVisible()) return collapsed_.value(index, false);
  const QList<int> current = sizes();
  return index < current.size() && current[index] == 0;
}

int SplitViewController::dividerPosition() const {
  const QList<int> current = sizes();
  return current.isEmpty() ? 0 : current.first();
}

int SplitViewController::constrainSplitPosition(int proposedPosition, int) const {
  return proposedPosition;
}

void SplitViewController::moveDivider(int proposedPosition) {
  moveSplitter(constrainSplitPosition(proposedPosition, 1), 1);
  noteSizes();
  saveState();
}

void SplitViewController::finishAnimation() {
  if (animation_) {
    animation_->stop();
    delete animation_;
    applySizes(animationTarget_);
  }
}

void SplitViewController::setItemCollapsed(int index, bool collapsed, bool animated) {
  if (index < 0 || index >= count()) return;
  finishAnimation();
  while (collapsed_.size() < count()) collapsed_.append(false);
  if (collapsed_[index] == collapsed && isItemCollapsed(index) == collapsed) return;

  QList<int> from = sizes();
  int total = 0;
  for (int s : from) total += s;
  if (total <= 0) total = std::max(extent() - handleWidth() * (count() - 1), 0);
  QList<int> to = from;
  const int other = index == 0 ? 1 : 0;
  if (collapsed) {
    if (from.value(index) > 0) lastExpandedSizes_ = from;
    to[index] = 0;
    to[other] = total;
  } else {
    int wanted = lastExpandedSizes_.value(index);
    const int minimum = orientation() == Qt::Horizontal ? widget(index)->minimumSizeHint().width()
                                                        : widget(index)->minimumSizeHint().height();
    if (wanted <= 0) wanted = std::max(minimum, total / 3);
    wanted = std::clamp(wanted, std::min(minimum, total), std::max(total, 0));
    // Expanding one item must not squeeze the other one away.
    if (!isItemCollapsed(other) && total - wanted < 1) wanted = total / 2;
    to[index] = wanted;
    to[other] = isItemCollapsed(other) ? 0 : total - wanted;
  }
  collapsed_[index] = collapsed;
  emit itemCollapseChanged(index, collapsed);

  if (!animated || !isVisible() || from.size() != to.size()) {
    applySizes(to);
    return;
  }
  auto* animation = new QVariantAnimation(this);
  animation_ = animation;
  animationTarget_ = to;
  animation->setDuration(kAnimationMs);
  animation->setStartValue(0.0);
  animation->setEndValue(1.0);
  animation->setEasingCurve(QEasingCurve::InOutQuad);
  connect(animation, &QVariantAnimation::valueChanged, this, [this, from, to](const QVariant& v) {
    const double t = v.toDouble();
    QList<int> step;
    for (int i = 0; i < to.size(); ++i) step.append(int(from[i] + (to[i] - from[i]) * t));
    setSizes(step);
  });
  connect(animation, &QVariantAnimation::finished, this, [this, to] {
    applySizes(to);
    if (animation_) animation_->deleteLater();
  });
  animation->start();
}

void SplitViewController::applySizes(const QList<int>& target) {
  setSizes(target);
  saveState();
}

void SplitViewController::noteSizes() {
  const QList<int> current = sizes();
  while (collapsed_.size() < current.size()) collapsed_.append(false);
  for (int i = 0; i < current.size(); ++i) {
    const bool now = current[i] == 0;
    if (collapsed_[i] != now) {
      collapsed_[i] = now;
      emit itemCollapseChanged(i, now);
    }
  }
  if (std::none_of(current.begin(), current.end(), [](int s) { return s == 0; })) {
    lastExpandedSizes_ = current;
  }
}

void SplitViewController::saveState() {
  if (restoring_ || autosaveName_.isEmpty() || !isVisible()) return;
  QSettings().setValue(autosaveName_, QSplitter::saveState());
}

void SplitViewController::restoreAutosavedState() {
  if (autosaveName_.isEmpty()) return;
  const QByteArray state = QSettings().value(autosaveName_).toByteArray();
  if (state.isEmpty()) return;
  restoring_ = true;
  if (QSplitter::restoreState(state)) {
    const QList<int> current = sizes();
    collapsed_.clear();
    for (int s : current) collapsed_.append(s == 0);
  }
  restoring_ = false;
}

}  // namespace dashcard
