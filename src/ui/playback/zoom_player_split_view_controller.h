#pragma once

#include "core/playback/custom_av_player.h"
#include "core/playback/panes.h"

#include <QList>
#include <QPointer>
#include <QSplitter>

namespace dashcard {

class ZoomPlayerViewController;

// The front and rear players side by side. Near the middle the divider snaps
// to the middle; without a rear camera the rear player stays collapsed.
// Positions persist under "ZoomPlayerSplitViewControllerAutosaveName".
class ZoomPlayerSplitViewController : public QSplitter, public PlayerSplitPane {
  Q_OBJECT

 public:
  static constexpr const char* kAutosaveName = "ZoomPlayerSplitViewControllerAutosaveName";

  explicit ZoomPlayerSplitViewController(QWidget* parent = nullptr);
  ZoomPlayerSplitViewController(CustomAVPlayer::Options options, QWidget* parent);

  ZoomPlayerViewController* primaryPlayerVC() const { return primary_; }
  ZoomPlayerViewController* secondaryPlayerVC() const { return secondary_; }
  // Primary first.
  QList<ZoomPlayerViewController*> playerVCs() const;
  bool secondaryPlayerEnable() const { return secondaryPlayerEnable_; }

  void setupDividerWithSecondaryPlayerEnable(bool enable) override;
  bool isItemCollapsed(int index) const;
  void setItemCollapsed(int index, bool collapsed);
  // The divider rule for a proposed position of the divider.
  double constrainSplitPosition(double proposed) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void dividerMoved(int position);
  void saveState() const;

  QPointer<ZoomPlayerViewController> primary_;
  QPointer<ZoomPlayerViewController> secondary_;
  bool secondaryPlayerEnable_ = true;
  bool adjusting_ = false;
  int expandedPosition_ = -1;
};

}  // namespace dashcard
