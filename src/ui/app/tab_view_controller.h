#pragma once

#include "core/playback/panes.h"

#include <QTabWidget>

class QGraphicsOpacityEffect;

namespace dashcard {

class DCFListViewController;
class EventListViewController;
class TripListView;

// The side bar's tabs: the file list, the event list and the trips. Invisible and
// locked until a card with recordings is shown.
class TabViewController : public QTabWidget, public TabPane {
  Q_OBJECT
 public:
  static constexpr int kFileTab = 0;
  static constexpr int kEventTab = 1;
  static constexpr int kPhotoTab = 2;
  // After the photo tab left: its index is reused.
  static constexpr int kTripTab = 2;

  explicit TabViewController(QWidget* parent = nullptr);

  // TabPane
  void tabViewIsActive(bool active) override;
  int selectedTabViewItemIndex() const override { return currentIndex(); }
  void setSelectedTabViewItemIndex(int index) override;

  bool isActive() const { return active_; }
  DCFListViewController* dcfListVC() const { return dcfListVC_; }
  EventListViewController* eventVC() const { return eventVC_; }
  TripListView* tripsVC() const { return tripsVC_; }
  // The list of the selected tab.
  DCFListViewController* currentListVC() const;

 signals:
  // The lists were locked or unlocked (tabViewIsActive).
  void activeChanged(bool active);
  // Shown or hidden by the program (the side bar came or went).
  void collapseDidChange();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void didSelectTab(int index);

  DCFListViewController* dcfListVC_;
  EventListViewController* eventVC_;
  TripListView* tripsVC_;
  QGraphicsOpacityEffect* opacity_;
  bool active_ = false;
  bool selecting_ = false;
  int lastSelectedIndex_ = 0;
};

}  // namespace dashcard
