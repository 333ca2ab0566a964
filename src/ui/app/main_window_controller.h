#pragma once

#include "core/catalogue/mount_volume_controller.h"
#include "core/playback/media_controller.h"
#include "core/catalogue/trip.h"
#include "ui/app/card_info_dialog.h"
#include "ui/app/left_split_view_controller.h"
#include "ui/app/right_split_view_controller.h"
#include "ui/app/tab_view_controller.h"
#include "ui/app/top_split_view_controller.h"
#include "ui/export/sd_card_load_progress_window_controller.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QStackedWidget;
class QToolButton;

namespace dashcard {

class DCFListViewController;
class EmptyCardView;
class EvidenceTasks;
class EventListViewController;
class MyDocument;
class PathControl;
class PlayerPane;
class SelectRemovableDiskViewController;
class SplitViewController;
class ZoomPlayerSplitViewController;
class ZoomPlayerViewController;

// One main window: the side bar with the recording lists over the map, the
// front and rear players over the graph, and the bar with the side-bar
// button, the path of the opened card, the master button and the rear-player
// button. Wires the panes to the window's MediaController.
class MainWindowController : public QMainWindow, public MountVolumeDelegate {
  Q_OBJECT
 public:
  explicit MainWindowController(QWidget* parent = nullptr);
  ~MainWindowController() override;

  // A new main window controller.
  static MainWindowController* windowController();
  // The size of a first start on a screen with this available area (at most
  // 1280 x 800, room left for the frame) and the window's minimum size.
  static QSize firstSize(const QSize& available, QSize* minimum = nullptr);

  MediaController* mediaController() const { return mediaController_.get(); }
  MyDocument* document() const { return document_; }
  void setDocument(MyDocument* document);

  TopSplitViewController* topSplitVC() const { return topSplitVC_; }
  LeftSplitViewController* leftSplitVC() const { return leftSplitVC_; }
  RightSplitViewController* rightSplitVC() const { return rightSplitVC_; }
  ZoomPlayerSplitViewController* playerSplitVC() const;
  // The front/rear split as a widget.
  QWidget* playerSplitView() const { return playerSplitView_; }
  TabViewController* tabVC() const { return tabVC_; }
  // Shown instead of the lists while they are locked (no card, or no recordings).
  EmptyCardView* emptyCardView() const { return emptyCardView_; }
  DCFListViewController* dcfListVC() const;
  EventListViewController* eventVC() const;
  ZoomPlayerViewController* playerVC() const;
  ZoomPlayerViewController* playerVCSecondary() const;
  PlayerPane* primaryPlayer() const { return primaryPlayer_; }
  // Whether the front (0) or rear (1) player is collapsed in the player split.
  bool isPlayerItemCollapsed(int index) const;
  void setPlayerItemCollapsed(int index, bool collapsed);
  QWidget* mapView() const { return mapWidget_; }
  QWidget* graphView() const { return graphWidget_; }
  PathControl* pathControl() const { return pathControl_; }
  QToolButton* masterButton() const { return masterButton_; }
  QToolButton* toggleSideBarButton() const { return toggleSideBarButton_; }
  QToolButton* toggleSecondaryPlayerButton() const { return toggleSecondaryPlayerButton_; }
  SDCardLoadProgressWindowController* loadProgressSheetDialogWindows() const { return loadProgressSheet_; }
  const QMap<QString, VolumeInformation>& mountingVolumes() const { return mountingVolumes_; }

  bool isMasterController() const { return isMasterController_; }
  bool secondaryPlayerIsActive() const { return secondaryPlayerIsActive_; }
  bool isManulaMute() const { return isManulaMute_; }

  // Window commands.
  void readDocumentFromURL(const QString& path);
  void resetWindow();
  void showBottomBar();
  void hideBottomBar();
  void toggleSourceList();
  void toggleFullScreen();
  void setupSecondaryPlayerWithSecondaryEnable(bool enable);
  void toggleSecondaryPlayer();
  void masterButtonPressed(bool on);
  void showSDLoadProgressDialog();
  void closeSDLoadProgressDilalog();
  void updateLoadingPhase(int phase, int percentage);

  // Synchronised play: reaction to a change of the active window.
  bool isSyncPlay() const;
  void keyWindowDidChange(QWidget* keyWindow);
  // The master was cleared (a window closed).
  void masterDidClear();
  // Rebuilds the path control's pop-up after its fixed items.
  void pathControlWillPopUpMenu(QMenu* menu);

  // Volume reports from the window's volume tracker (the volume list arrives
  // with a later change).
  void didMountVolume(const VolumeInformation& info) override;
  void didUnmountVolume(const VolumeInformation& info) override;
  void didRenameVolume(const VolumeInformation& info, const QString& oldPath) override;
  MountVolumeController* volumeController() const { return volumeController_.get(); }

  // The camera-settings command: the card chooser, then the settings editor.
  void openUnitSettingView();
  void selectOK(SelectRemovableDiskViewController* chooser);
  void selectCancel(SelectRemovableDiskViewController* chooser);

  // Driving events: the next (+1) or previous (-1) one across the card's
  // recordings from the playing position; false when there is none.
  bool jumpToDrivingEvent(int direction);
  void playDrivingEvent(const TripEvent& event);
  // Times corrected by the card's clock offset in the lists and readouts.
  bool clockCorrectionEnabled() const { return clockCorrection_; }
  void setClockCorrectionEnabled(bool on);
  // The card-info sheet (File › Card Info…).
  CardFacts cardFacts() const;
  void showCardInfo();

  // True when this window shows a sheet (loading, task or save panel).
  bool hasAttachedSheet() const;
  QAction* menuAction(const QString& identifier) const;

 signals:
  // A popover text was shown (for tests and accessibility).
  void popoverShown(const QString& message);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A card folder dropped on the window opens in it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void windowDidLoad();
  void buildPanes();
  void buildBar();
  void buildMenus();
  void registerNotifications();
  void validateMenus();
  void updateSideBarButton();
  void updateEmptyCardView();
  void fitToScreen();
  void setUpKeyboardNavigation();
  void showPopover(QWidget* target, const QString& message);
  void exportVideo();
  // The span as Export Video takes it; the report of it on the list's task sheet.
  void exportIncidentReport();
  void seekBy(double seconds);
  void stepRecording(int delta);
  void playPause();
  // A new card's trips are read once its first clip has loaded.
  void startTripsAfterFirstClip();
  // The Trips tab has new trips: their events go to the graph and the map,
  // and a camera clock off by more than the threshold is told once per card.
  void tripsDidChange();
  void checkClockOffset();
  void updateClockCorrection();
  void fitMapToTrip(const Trip& trip);

  std::unique_ptr<MediaController> mediaController_;
  QPointer<MyDocument> document_;
  QPointer<TopSplitViewController> topSplitVC_;
  QPointer<LeftSplitViewController> leftSplitVC_;
  QPointer<RightSplitViewController> rightSplitVC_;
  QPointer<QWidget> playerSplitView_;
  QPointer<TabViewController> tabVC_;
  QStackedWidget* sideBarStack_ = nullptr;
  EmptyCardView* emptyCardView_ = nullptr;
  QPointer<QWidget> playerView_;
  QPointer<QWidget> playerViewSecondary_;
  PlayerPane* primaryPlayer_ = nullptr;
  QWidget* mapWidget_ = nullptr;
  QWidget* graphWidget_ = nullptr;
  PathControl* pathControl_ = nullptr;
  QToolButton* masterButton_ = nullptr;
  QToolButton* toggleSideBarButton_ = nullptr;
  QToolButton* toggleSecondaryPlayerButton_ = nullptr;
  QPointer<SDCardLoadProgressWindowController> loadProgressSheet_;
  QPointer<EvidenceTasks> evidenceTasks_;
  QMap<QString, VolumeInformation> mountingVolumes_;
  QMap<QString, QAction*> actions_;
  bool isMasterController_ = false;
  bool secondaryPlayerIsActive_ = false;
  bool isManulaMute_ = false;
  bool clockCorrection_ = false;
  // Until the trips of the card start (startTripsAfterFirstClip).
  QPointer<QObject> tripsGate_;
  std::unique_ptr<MountVolumeController> volumeController_;
};

}  // namespace dashcard
