#include "ui/playback/zoom_player_split_view_controller.h"

#include "core/playback/zoom_player_split_layout.h"
#include "ui/playback/player_scroll_view.h"
#include "ui/playback/zoom_player_view_controller.h"

#include <QSettings>

namespace dashcard {

ZoomPlayerSplitViewController::ZoomPlayerSplitViewController(QWidget* parent)
    : ZoomPlayerSplitViewController(ZoomPlayerViewController::windowOptions(), parent) {}

ZoomPlayerSplitViewController::ZoomPlayerSplitViewController(CustomAVPlayer::Options options, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent) {
  setObjectName(QLatin1String(kAutosaveName));
  setChildrenCollapsible(true);
  setFocusPolicy(Qt::NoFocus);  // the players inside take the keys, never the split
  primary_ = new ZoomPlayerViewController(options, this);
  secondary_ = new ZoomPlayerViewController(options, this);
  primary_->playerScrollView()->setAccessibleName(tr("Front camera"));
  secondary_->playerScrollView()->setAccessibleName(tr("Rear camera"));
  addWidget(primary_);
  addWidget(secondary_);
  setStretchFactor(0, 1);
  setStretchFactor(1, 1);
  const QByteArray saved = QSettings().value(QLatin1String(kAutosaveName)).toByteArray();
  if (!saved.isEmpty()) restoreState(saved);
  connect(this, &QSplitter::splitterMoved, this, [this](int position, int) { dividerMoved(position); });
}

QList<ZoomPlayerViewController*> ZoomPlayerSplitViewController::playerVCs() const {
  QList<ZoomPlayerViewController*> list;
  if (primary_) list << primary_.data();
  if (secondary_) list << secondary_.data();
  return list;
}

void ZoomPlayerSplitViewController::showEvent(QShowEvent* event) {
  QSplitter::showEvent(event);
  setupDividerWithSecondaryPlayerEnable(secondaryPlayerEnable_);
}

double ZoomPlayerSplitViewController::constrainSplitPosition(double proposed) const {
  return ZoomPlayerSplitLayout::constrainSplitPosition(proposed, width(), handleWidth(), secondaryPlayerEnable_);
}

void ZoomPlayerSplitViewController::dividerMoved(int position) {
  if (adjusting_) return;
  const int constrained = static_cast<int>(constrainSplitPosition(position));
  if (constrained != position) {
    adjusting_ = true;
    moveSplitter(constrained, 1);
    adjusting_ = false;
  }
  saveState();
}

void ZoomPlayerSplitViewController::saveState() const {
  QSettings().setValue(QLatin1String(kAutosaveName), QSplitter::saveState());
}

void ZoomPlayerSplitViewController::setupDividerWithSecondaryPlayerEnable(bool enable) {
  secondaryPlayerEnable_ = enable;
  setItemCollapsed(1, !enable);
}

bool ZoomPlayerSplitViewController::isItemCollapsed(int index) const {
  const QList<int> s = sizes();
  return index >= 0 && index < s.size() && s.at(index) == 0;
}

void ZoomPlayerSplitViewController::setItemCollapsed(int index, bool collapsed) {
  if (index < 0 || index >= count()) return;
  QList<int> s = sizes();
  if (s.size() != 2) return;
  const int total = std::max(1, s[0] + s[1]);
  if (collapsed) {
    if (s[index] > 0 && index == 1) expandedPosition_ = s[0];
    s[index] = 0;
    s[1 - index] = total;
  } else if (s[index] == 0) {
    const int first = expandedPosition_ > 0 && expandedPosition_ < total ? expandedPosition_ : total / 2;
    s = {first, total - first};
  }
  adjusting_ = true;
  setSizes(s);
  adjusting_ = false;
}

}  // namespace dashcard
