#include "ui/app/main_window_controller.h"
#include "ui/app/preferences.h"

#include "core/catalogue/trip_builder.h"
#include "core/catalogue/trip_preferences.h"
#include "core/playback/custom_av_player.h"
#include "core/playback/media_controller.h"
#include "core/playback/media_controller_manager.h"
#include "ui/app/about_box.h"
#include "ui/app/application.h"
#include "ui/app/empty_card_view.h"
#include "ui/app/focus_ring.h"
#include "ui/app/left_split_view_controller.h"
#include "ui/app/my_document.h"
#include "ui/app/my_document_controller.h"
#include "ui/app/path_control.h"
#include "ui/app/right_split_view_controller.h"
#include "ui/app/tab_view_controller.h"
#include "ui/app/top_split_view_controller.h"
#include "ui/app/user_guide_window.h"
#include "ui/catalogue/dcf_info_table_model.h"
#include "ui/catalogue/dcf_list_view_controller.h"
#include "ui/catalogue/event_list_view_controller.h"
#include "ui/catalogue/trip_list_view.h"
#include "ui/export/evidence_tasks.h"
#include "ui/export/incident_export_dialog.h"
#include "ui/export/sd_card_load_progress_view_controller.h"
#include "ui/export/sd_card_load_progress_window_controller.h"
#include "ui/graph/graph_view_controller.h"

#include "ui/map/map_view.h"
#include "ui/playback/option_popover.h"
#include "ui/playback/player_scroll_view.h"
#include "ui/playback/zoom_player_split_view_controller.h"
#include "ui/playback/zoom_player_view_controller.h"
#include "ui/telemetry/status_indicator_panel_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace dashcard {

namespace {

constexpr int kLeftItem = 0;
constexpr int kGraphItem = 1;
constexpr double kSeekStepSeconds = 5.0;
// The trips of a card with nothing to play start after this.
constexpr int kTripsLatestStartMs = 2000;
using ListAction = DCFListViewController::Action;

}  // namespace

MainWindowController::MainWindowController(QWidget* parent)
    : QMainWindow(parent), mediaController_(std::make_unique<MediaController>()) {
  setObjectName(QStringLiteral("MainWindowController"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  windowDidLoad();
}

MainWindowController::~MainWindowController() {
  // The panes are destroyed after this object's own part is gone, and they
  // post notifications and signals as they go: stop listening first.
  QObject::disconnect(MediaControllerManager::sharedInstance(), nullptr, this, nullptr);
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
  volumeController_.reset();
  if (mediaController_) mediaController_->dispose();
}

MainWindowController* MainWindowController::windowController() { return new MainWindowController; }

void MainWindowController::setDocument(MyDocument* document) {
  document_ = document;
  updateEmptyCardView();
}

DCFListViewController* MainWindowController::dcfListVC() const { return tabVC_ ? tabVC_->dcfListVC() : nullptr; }

EventListViewController* MainWindowController::eventVC() const { return tabVC_ ? tabVC_->eventVC() : nullptr; }

ZoomPlayerSplitViewController* MainWindowController::playerSplitVC() const {
  return static_cast<ZoomPlayerSplitViewController*>(playerSplitView_.data());
}
ZoomPlayerViewController* MainWindowController::playerVC() const {
  return static_cast<ZoomPlayerViewController*>(playerView_.data());
}
ZoomPlayerViewController* MainWindowController::playerVCSecondary() const {
  return static_cast<ZoomPlayerViewController*>(playerViewSecondary_.data());
}
bool MainWindowController::isPlayerItemCollapsed(int index) const {
  return playerSplitVC() && playerSplitVC()->isItemCollapsed(index);
}
void MainWindowController::setPlayerItemCollapsed(int index, bool collapsed) {
  if (playerSplitVC()) playerSplitVC()->setItemCollapsed(index, collapsed);
}

void MainWindowController::windowDidLoad() {
  buildMenus();
  buildPanes();
  buildBar();
  fitToScreen();
  setWindowTitle(QString());
  setWindowFilePath(QString());
  updateSideBarButton();
  registerNotifications();
  setUpKeyboardNavigation();
  setAcceptDrops(true);
  updateEmptyCardView();
  if (graphWidget_) graphWidget_->setFocus();
  // Inserted cards: removable, user-unmountable volumes, writable or not.
  volumeController_ = std::make_unique<MountVolumeController>(std::nullopt, true, false, true, this);
  volumeController_->makeVolumeList();
}

QSize MainWindowController::firstSize(const QSize& available, QSize* minimum) {
  // Room for the window manager's frame, which is not known before showing.
  const QSize room = available * 19 / 20;
  if (minimum) *minimum = QSize(960, 600).boundedTo(room);
  return QSize(1280, 800).boundedTo(room);
}

void MainWindowController::fitToScreen() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  QSize minimum;
  const QSize size = firstSize(screen ? screen->availableSize() : QSize(1280, 800), &minimum);
  setMinimumSize(minimum);
  // A later start restores the frame kept under its autosave name (Qt moves
  // it back onto a screen that shrank); the first one fits the screen, and
  // the window manager places it (the second window beside the first).
  const QByteArray geometry = QSettings().value(QStringLiteral("MainWindowFrameAutosaveName")).toByteArray();
  if (!geometry.isEmpty() && restoreGeometry(geometry)) return;
  resize(size);
}

void MainWindowController::buildPanes() {
  auto* top = new TopSplitViewController(this);
  topSplitVC_ = top;
  auto* left = new LeftSplitViewController(top);
  leftSplitVC_ = left;
  auto* right = new RightSplitViewController(top);
  rightSplitVC_ = right;

  auto* tabs = new TabViewController(left);
  tabVC_ = tabs;
  auto* map = new MapView(left);
  mapWidget_ = map;
  sideBarStack_ = new QStackedWidget(left);
  sideBarStack_->setObjectName(QStringLiteral("SideBarStack"));
  sideBarStack_->addWidget(tabs);
  emptyCardView_ = new EmptyCardView(sideBarStack_);
  sideBarStack_->addWidget(emptyCardView_);
  connect(tabs, &TabViewController::activeChanged, this, &MainWindowController::updateEmptyCardView);
  connect(emptyCardView_, &EmptyCardView::openRequested, this,
          [this] { MyDocumentController::sharedDocumentController()->openDocument(this); });
  connect(emptyCardView_, &EmptyCardView::cardChosen, this, &MainWindowController::readDocumentFromURL);
  left->addWidget(sideBarStack_);
  left->addWidget(map);
  left->setStretchFactor(0, 1);
  left->setCollapsible(0, false);

  auto* players = new ZoomPlayerSplitViewController(right);
  playerView_ = players->primaryPlayerVC();
  playerViewSecondary_ = players->secondaryPlayerVC();
  if (playerVC()) playerVC()->becomePrimaryPlayer();
  primaryPlayer_ = playerVC();
  playerSplitView_ = players;
  auto* graph = new GraphViewController(right);
  graphWidget_ = graph;
  right->addWidget(players);
  right->addWidget(graph);
  right->setStretchFactor(0, 1);
  right->setCollapsible(0, false);

  top->addWidget(left);
  top->addWidget(right);
  top->setStretchFactor(1, 1);
  top->setCollapsible(1, false);
  top->setSizes({TopSplitViewController::kSnapPosition, 1280 - TopSplitViewController::kSnapPosition});
  left->setSizes({800 - LeftSplitViewController::kMapSnapHeight, LeftSplitViewController::kMapSnapHeight});
  right->setSizes({560, 240});
  top->restoreAutosavedState();
  left->restoreAutosavedState();
  right->restoreAutosavedState();
  setCentralWidget(top);

  MediaController* mc = mediaController_.get();
  mc->setDcfListVC(tabs->dcfListVC());
  mc->setEventVC(tabs->eventVC());
  mc->setTabVC(tabs);
  tabs->observe(mc->catalogue(), tabs->dcfListVC(), tabs->eventVC(), tabs);
  map->controller()->observe(mc->catalogue());
  connect(mc->clock(), &PlaybackClock::momentDidChange, map->controller(), &MapVewController::showMoment);
  mc->observeMap(map->controller());
  graph->observe(mc->catalogue(), mc->clock());
  connect(graph, &GraphViewController::seekRequested, mc, &MediaController::updateProgress);
  connect(graph, &GraphViewController::exportVideoRequested, this, &MainWindowController::exportVideo);
  connect(graph, &GraphViewController::exportReportRequested, this, &MainWindowController::exportIncidentReport);
  // Every card, also one without recordings, sets the rear player's state anew.
  connect(mc->catalogue(), &RecordingCatalogue::catalogueDidChange, this,
          [this, mc] { setupSecondaryPlayerWithSecondaryEnable(mc->catalogue()->hasSecondary()); });
  // The tick's vehicle sample lights the front player's lamps.
  connect(mc->clock(), &PlaybackClock::momentDidChange, this,
          [this, sent = false, shown = std::optional<CarInfo>()](const TelemetryMoment& moment) mutable {
            if (!playerVC() || (sent && shown == moment.carInfo)) return;
            sent = true;
            shown = moment.carInfo;
            StatusIndicatorPanelView* lamps = playerVC()->carInfoStatusViewPanel();
            lamps->setIsEnabled(moment.carInfo.has_value());
            lamps->updateWithCarInfo(moment.carInfo);
          });
  mc->setPlayerSplitVC(players);
  mc->setPlayerVC(playerVC());
  mc->setPlayerVCSecondary(playerVCSecondary());
  QList<PlayerPane*> playerPanes;
  for (ZoomPlayerViewController* player : players->playerVCs()) playerPanes.append(player);
  mc->setPlayerVCs(playerPanes);
  tabs->dcfListVC()->setMediaController(mc);
  tabs->eventVC()->setMediaController(mc);
  // The Trips tab: made anew for each catalogue; a chosen trip plays as a map
  // click does, and the map fits it; its events go to the graph and the map.
  RecordingCatalogue* catalogue = mc->catalogue();
  connect(catalogue, &RecordingCatalogue::catalogueDidChange, this, &MainWindowController::startTripsAfterFirstClip);
  connect(tabs->tripsVC(), &TripListView::recordingChosen, catalogue, [catalogue](const DCFInfoPtr& info) {
    catalogue->updateCurrentDCF(
        info, info->isEventDCF() ? RecordingCatalogue::kMediaListMapEvent : RecordingCatalogue::kMediaListMapNormal, nullptr);
  });
  connect(tabs->tripsVC(), &TripListView::tripChosen, this, &MainWindowController::fitMapToTrip);
  connect(tabs->tripsVC(), &TripListView::eventChosen, this, &MainWindowController::playDrivingEvent);
  connect(tabs->tripsVC(), &TripListView::tripsDidChange, this, &MainWindowController::tripsDidChange);
  // Another card has another clock: its correction is offered anew.
  connect(catalogue, &RecordingCatalogue::catalogueDidChange, this, [this] { setClockCorrectionEnabled(false); });
  // The players cannot see the window (ui/playback is below ui/app): hand them
  // the controller, the window's sync state and the bottom-pane gesture.
  for (ZoomPlayerViewController* player : players->playerVCs()) {
    player->setMediaController(mc);
    player->setIsSyncPlay([self = QPointer<MainWindowController>(this)] { return self && self->isSyncPlay(); });
    connect(player, &ZoomPlayerViewController::showBottomBarRequested, this, &MainWindowController::showBottomBar);
    connect(player, &ZoomPlayerViewController::hideBottomBarRequested, this, &MainWindowController::hideBottomBar);
  }
  // Thumbnails arrive while the background parser walks the card.
  connect(mc->catalogue(), &RecordingCatalogue::recordingDidParse, this, [this](const DCFInfoPtr& info) {
    if (tabVC_) {
      tabVC_->dcfListVC()->refreshDCF(info);
      tabVC_->eventVC()->refreshDCF(info);
    }
  });

  connect(top, &SplitViewController::itemCollapseChanged, this, [this](int index, bool) {
    if (index != kLeftItem) return;
    updateSideBarButton();
  });
}

void MainWindowController::buildBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("MainToolBar"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setIconSize(QSize(20, 20));
  bar->toggleViewAction()->setVisible(false);
  addToolBar(Qt::TopToolBarArea, bar);

  // One strip holds the bar's controls, so each can be shown and hidden alone.
  auto* strip = new QWidget(bar);
  strip->setObjectName(QStringLiteral("MainToolBarStrip"));
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(4, 2, 6, 2);
  row->setSpacing(4);
  bar->addWidget(strip);

  toggleSideBarButton_ = new QToolButton(strip);
  toggleSideBarButton_->setObjectName(QStringLiteral("toggleSideBarButton"));
  toggleSideBarButton_->setIcon(QIcon(QStringLiteral(":/images/sidebar.svg")));
  toggleSideBarButton_->setCheckable(true);
  toggleSideBarButton_->setAutoRaise(true);
  toggleSideBarButton_->setToolTip(tr("Show or hide the recording lists"));
  connect(toggleSideBarButton_, &QToolButton::clicked, this, [this] { toggleSourceList(); });
  row->addWidget(toggleSideBarButton_);

  pathControl_ = new PathControl(strip);
  pathControl_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  connect(pathControl_, &PathControl::componentClicked, this, &MainWindowController::readDocumentFromURL);
  connect(pathControl_, &PathControl::menuWillOpen, this, &MainWindowController::pathControlWillPopUpMenu);
  connect(pathControl_, &PathControl::chooseRequested, this, [this] {
    MyDocumentController::sharedDocumentController()->openDocument(this);
  });
  row->addWidget(pathControl_, 1);

  toggleSecondaryPlayerButton_ = new QToolButton(strip);
  toggleSecondaryPlayerButton_->setObjectName(QStringLiteral("toggleSecondaryPlayerButton"));
  toggleSecondaryPlayerButton_->setIcon(QIcon(QStringLiteral(":/images/secondary_player.svg")));
  toggleSecondaryPlayerButton_->setAutoRaise(true);
  toggleSecondaryPlayerButton_->setToolTip(tr("Show or hide the rear camera"));
  connect(toggleSecondaryPlayerButton_, &QToolButton::clicked, this, [this] { toggleSecondaryPlayer(); });
  toggleSecondaryPlayerButton_->setVisible(false);
  row->addWidget(toggleSecondaryPlayerButton_);

  masterButton_ = new QToolButton(strip);
  masterButton_->setObjectName(QStringLiteral("masterButton"));
  QIcon masterIcon;
  masterIcon.addFile(QStringLiteral(":/images/master.svg"), {}, QIcon::Normal, QIcon::Off);
  masterIcon.addFile(QStringLiteral(":/images/master_on.svg"), {}, QIcon::Normal, QIcon::On);
  masterButton_->setIcon(masterIcon);
  masterButton_->setCheckable(true);
  masterButton_->setAutoRaise(true);
  masterButton_->setToolTip(tr("Play two cards in step, led by this window"));
  connect(masterButton_, &QToolButton::clicked, this, &MainWindowController::masterButtonPressed);
  row->addWidget(masterButton_);
}

void MainWindowController::buildMenus() {
  QMenuBar* bar = menuBar();
  auto add = [this](QMenu* menu, const QString& id, const QString& title, const QKeySequence& key,
                    std::function<void()> slot) {
    QAction* action = menu->addAction(title);
    action->setObjectName(id);
    if (!key.isEmpty()) {
      action->setShortcut(key);
      action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, std::move(slot));
    actions_.insert(id, action);
    return action;
  };
  // A list command checks again when it runs: shortcuts bypass the menu's validation.
  auto listCommand = [this](void (DCFListViewController::*command)(), ListAction action) {
    return [this, command, action] {
      DCFListViewController* list = tabVC_ ? tabVC_->currentListVC() : nullptr;
      if (list && list->validateAction(action)) (list->*command)();
    };
  };

  QMenu* app = bar->addMenu(QString::fromLatin1("Dashcard"));
  app->menuAction()->setObjectName(QStringLiteral("AppMenu"));
  QAction* about = add(app, QStringLiteral("AppMenu_About"),
                       Application::ryndString(QT_TRANSLATE_NOOP("RyndStrings", "TEXT_APP_MENU_ABOUT_APP")), {},
                       [this] { AboutBox::show(this); });
  about->setMenuRole(QAction::AboutRole);
  QAction* preferences = add(app, QStringLiteral("AppMenu_Preferences"), tr("Preferences…"), QKeySequence(tr("Ctrl+,")),
                             [this] { PreferencesDialog(this).exec(); });
  preferences->setMenuRole(QAction::PreferencesRole);
  app->addSeparator();
  add(app, QStringLiteral("AppMenu_Hide"), Application::ryndString(QT_TRANSLATE_NOOP("RyndStrings", "TEXT_APP_MENU_HIDE_APP")), QKeySequence(tr("Ctrl+H")),
      [this] { showMinimized(); });
  app->addSeparator();
  QAction* quit = add(app, QStringLiteral("AppMenu_Quit"), Application::ryndString(QT_TRANSLATE_NOOP("RyndStrings", "TEXT_APP_MENU_QUIT_APP")),
                      QKeySequence::Quit, [] { QApplication::closeAllWindows(); });
  quit->setMenuRole(QAction::QuitRole);

  QMenu* file = bar->addMenu(tr("&File"));
  file->menuAction()->setObjectName(QStringLiteral("FileMenu"));
  add(file, QStringLiteral("FileMenu_New"), tr("New Window"), QKeySequence::New, [] {
    MyDocumentController::sharedDocumentController()->newDocument();
  });
  add(file, QStringLiteral("FileMenu_Open"), tr("Open Card…"), QKeySequence::Open, [this] {
    MyDocumentController::sharedDocumentController()->openDocument(this);
  });
  QMenu* recent = file->addMenu(tr("Open Recent"));
  recent->menuAction()->setObjectName(QStringLiteral("FileMenu_OpenRecent"));
  connect(recent, &QMenu::aboutToShow, this, [this, recent] {
    recent->clear();
    const QStringList urls = MyDocumentController::sharedDocumentController()->recentDocumentURLs();
    for (const QString& path : urls) {
      QAction* item = recent->addAction(QIcon(QStringLiteral(":/images/folder.svg")), QFileInfo(path).fileName());
      item->setToolTip(path);
      connect(item, &QAction::triggered, this, [this, path] { readDocumentFromURL(path); });
    }
    if (urls.isEmpty()) recent->addAction(tr("No Recent"))->setEnabled(false);
    recent->addSeparator();
    QAction* clear = recent->addAction(tr("Clear Menu"));
    clear->setEnabled(!urls.isEmpty());
    connect(clear, &QAction::triggered, this, [] { MyDocumentController::sharedDocumentController()->clearRecentDocuments(); });
  });
  file->addSeparator();
  add(file, QStringLiteral("FileMenu_BackUp"), tr("Back Up Selected Recordings…"), QKeySequence(tr("Ctrl+B")),
      listCommand(&DCFListViewController::backUp, ListAction::BackUp));
  add(file, QStringLiteral("FileMenu_Export"), tr("Export KML/KMZ…"), QKeySequence(tr("Ctrl+E")),
      listCommand(&DCFListViewController::exportKML, ListAction::ExportKML));
  add(file, QStringLiteral("FileMenu_ExportVideo"), tr("Export Video…"), QKeySequence(tr("Ctrl+Shift+E")),
      [this] { exportVideo(); });
  add(file, QStringLiteral("FileMenu_ExportReport"), tr("Export Incident Report…"), {}, [this] { exportIncidentReport(); });
  add(file, QStringLiteral("FileMenu_VerifyBackUp"), tr("Verify Backup…"), {}, [this] {
    if (!evidenceTasks_) evidenceTasks_ = new EvidenceTasks(this, &mediaController_->tasks());
    evidenceTasks_->chooseAndVerifyBackup(tabVC_ ? tabVC_->currentListVC() : nullptr);
  });
  add(file, QStringLiteral("FileMenu_UnitSetting"), tr("Camera Settings…"), {}, [this] { openUnitSettingView(); });
  add(file, QStringLiteral("FileMenu_CardInfo"), tr("Card Info…"), QKeySequence(tr("Ctrl+I")), [this] { showCardInfo(); });
  file->addSeparator();
  add(file, QStringLiteral("FileMenu_Close"), tr("Close Window"), QKeySequence::Close, [this] { close(); });

  QMenu* edit = bar->addMenu(tr("&Edit"));
  edit->menuAction()->setObjectName(QStringLiteral("EditMenu"));
  add(edit, QStringLiteral("EditMenu_SelectAll"), tr("Select All"), QKeySequence::SelectAll,
      listCommand(&DCFListViewController::allFilesSelected, ListAction::SelectAll));

  QMenu* view = bar->addMenu(tr("&View"));
  view->menuAction()->setObjectName(QStringLiteral("ViewMenu"));
  add(view, QStringLiteral("ViewMenu_ToggleSideBar"), tr("Show/Hide Recording Lists"), QKeySequence(tr("Ctrl+Alt+S")),
      [this] { toggleSourceList(); });
  add(view, QStringLiteral("ViewMenu_ToggleFullScreen"), tr("Players Only"), QKeySequence(tr("Ctrl+Shift+F")),
      [this] { toggleFullScreen(); });
  add(view, QStringLiteral("ViewMenu_ToggleGraph"), tr("Show/Hide Graph"), QKeySequence(tr("Ctrl+Alt+G")), [this] {
    if (rightSplitVC_ && rightSplitVC_->isItemCollapsed(kGraphItem)) {
      showBottomBar();
    } else {
      hideBottomBar();
    }
  });
  add(view, QStringLiteral("ViewMenu_ToggleSecondary"), tr("Show/Hide Rear Camera"), QKeySequence(tr("Ctrl+Alt+R")),
      [this] { toggleSecondaryPlayer(); });
  view->addSeparator();
  QAction* corrected = add(view, QStringLiteral("ViewMenu_CorrectedTimes"), tr("Times Corrected by GPS"), {},
                           [this] { setClockCorrectionEnabled(!clockCorrection_); });
  corrected->setCheckable(true);
  add(view, QStringLiteral("ViewMenu_FocusPlaying"), tr("Show Playing Recording"), QKeySequence(tr("Ctrl+L")),
      listCommand(&DCFListViewController::focusPlayingDCF, ListAction::FocusPlaying));

  QMenu* playback = bar->addMenu(tr("&Playback"));
  playback->menuAction()->setObjectName(QStringLiteral("PlaybackMenu"));
  add(playback, QStringLiteral("PlaybackMenu_PlayPause"), tr("Play/Pause"), QKeySequence(Qt::Key_Space), [this] { playPause(); });
  add(playback, QStringLiteral("PlaybackMenu_Back"), tr("Back 5 Seconds"), QKeySequence(Qt::Key_Left),
      [this] { seekBy(-kSeekStepSeconds); });
  add(playback, QStringLiteral("PlaybackMenu_Forward"), tr("Forward 5 Seconds"), QKeySequence(Qt::Key_Right),
      [this] { seekBy(kSeekStepSeconds); });
  add(playback, QStringLiteral("PlaybackMenu_Previous"), tr("Previous Recording"), QKeySequence(Qt::Key_Up),
      [this] { stepRecording(-1); });
  add(playback, QStringLiteral("PlaybackMenu_Next"), tr("Next Recording"), QKeySequence(Qt::Key_Down),
      [this] { stepRecording(1); });
  playback->addSeparator();
  add(playback, QStringLiteral("PlaybackMenu_NextEvent"), tr("Next Driving Event"), QKeySequence(Qt::Key_N),
      [this] { jumpToDrivingEvent(1); });
  add(playback, QStringLiteral("PlaybackMenu_PreviousEvent"), tr("Previous Driving Event"),
      QKeySequence(Qt::SHIFT | Qt::Key_N), [this] { jumpToDrivingEvent(-1); });

  QMenu* window = bar->addMenu(tr("&Window"));
  window->menuAction()->setObjectName(QStringLiteral("WindowMenu"));
  add(window, QStringLiteral("WindowMenu_Minimize"), tr("Minimize"), QKeySequence(tr("Ctrl+M")), [this] { showMinimized(); });

  QMenu* help = bar->addMenu(tr("&Help"));
  help->menuAction()->setObjectName(QStringLiteral("HelpMenu"));
  add(help, QStringLiteral("HelpMenu_UserGuide"), tr("User Guide"), QKeySequence::HelpContents,
      [] { UserGuideWindow::showGuide(); });

  for (QAction* top : bar->actions()) {
    if (QMenu* menu = top->menu()) connect(menu, &QMenu::aboutToShow, this, &MainWindowController::validateMenus);
  }
}

QAction* MainWindowController::menuAction(const QString& identifier) const { return actions_.value(identifier); }

void MainWindowController::validateMenus() {
  DCFListViewController* list = tabVC_ ? tabVC_->currentListVC() : nullptr;
  auto valid = [list](ListAction action) { return list && list->validateAction(action); };
  actions_.value(QStringLiteral("FileMenu_BackUp"))->setEnabled(valid(ListAction::BackUp));
  actions_.value(QStringLiteral("FileMenu_Export"))->setEnabled(valid(ListAction::ExportKML));
  actions_.value(QStringLiteral("FileMenu_ExportVideo"))->setEnabled(valid(ListAction::ExportVideo));
  actions_.value(QStringLiteral("FileMenu_ExportReport"))->setEnabled(valid(ListAction::ExportVideo));
  actions_.value(QStringLiteral("FileMenu_VerifyBackUp"))->setEnabled(tabVC_ && tabVC_->currentListVC());
  actions_.value(QStringLiteral("EditMenu_SelectAll"))->setEnabled(valid(ListAction::SelectAll));
  actions_.value(QStringLiteral("ViewMenu_FocusPlaying"))->setEnabled(valid(ListAction::FocusPlaying));
  auto* documents = MyDocumentController::sharedDocumentController();
  actions_.value(QStringLiteral("FileMenu_New"))->setEnabled(documents->validateMenuItem(MyDocumentController::MenuCommand::New));
  actions_.value(QStringLiteral("FileMenu_Open"))->setEnabled(documents->validateMenuItem(MyDocumentController::MenuCommand::Open));
  actions_.value(QStringLiteral("ViewMenu_ToggleSecondary"))->setEnabled(secondaryPlayerIsActive_);
  const std::optional<double> offset = tabVC_ ? tabVC_->tripsVC()->clockOffsetSeconds() : std::nullopt;
  QAction* corrected = actions_.value(QStringLiteral("ViewMenu_CorrectedTimes"));
  corrected->setEnabled(offset.has_value() && std::abs(*offset) >= 1.0);
  corrected->setChecked(clockCorrection_);
  const bool events = tabVC_ && !tabVC_->tripsVC()->events().isEmpty();
  actions_.value(QStringLiteral("PlaybackMenu_NextEvent"))->setEnabled(events);
  actions_.value(QStringLiteral("PlaybackMenu_PreviousEvent"))->setEnabled(events);
}

void MainWindowController::startTripsAfterFirstClip() {
  // The trips read the telemetry of every recording: on a card of 10,000,
  // some 250 ms of both cores, which held the first picture back by a fifth
  // (945 -> 739 ms, medians of seven window starts). They start once the
  // first clip of the card is loaded, or failed, or at the latest after two
  // seconds (a card with nothing to play).
  delete tripsGate_;  // the card before, still waiting
  // Meanwhile no trip of the card before can be chosen.
  if (tabVC_) tabVC_->tripsVC()->setRecordings({});
  tripsGate_ = new QObject(this);
  QObject* const gate = tripsGate_;
  const auto start = [this, gate] {
    if (tripsGate_ != gate) return;
    tripsGate_->deleteLater();
    tripsGate_ = nullptr;
    if (tabVC_) tabVC_->tripsVC()->setRecordings(mediaController_->catalogue()->mediaTree());
  };
  CustomAVPlayer* first = playerVC()->engine().player();
  connect(first, &CustomAVPlayer::loaded, gate, start);
  connect(first, &CustomAVPlayer::errorOccurred, gate, start);
  QTimer::singleShot(kTripsLatestStartMs, gate, start);
}

void MainWindowController::tripsDidChange() {
  const QList<TripEvent> events = tabVC_ ? tabVC_->tripsVC()->events() : QList<TripEvent>();
  if (auto* graph = qobject_cast<GraphViewController*>(graphWidget_)) graph->setDrivingEvents(events);
  if (auto* map = qobject_cast<MapView*>(mapWidget_)) {
    // The events' own times: from GPS where the recordings have fixes.
    const QTimeZone zone = tabVC_->tripsVC()->cameraZone();
    map->controller()->setEventMarks(MapVewController::eventMarksOf(events, [zone](const TripEvent& event) {
      return QLocale().toString(event.time.toTimeZone(zone), QLocale::ShortFormat);
    }));
  }
  updateClockCorrection();
  checkClockOffset();
}

void MainWindowController::fitMapToTrip(const Trip& trip) {
  auto* map = qobject_cast<MapView*>(mapWidget_);
  if (!map) return;
  MapVewController::PolylineList lines;
  for (const DCFInfoPtr& info : trip.recordings) lines += info->routeLine();
  const MapRect rect = MapVewController::totalMapRect(lines);
  if (!rect.isNull()) map->controller()->focusMapRect(rect, true);
}

void MainWindowController::playDrivingEvent(const TripEvent& event) {
  auto* map = qobject_cast<MapView*>(mapWidget_);
  if (!map || !event.recording) return;
  MapVewController* controller = map->controller();
  const auto& marks = controller->eventMarks();
  for (int i = 0; i < marks.size(); ++i) {
    if (marks[i].recording.lock() == event.recording && marks[i].event.seconds == event.event.seconds &&
        marks[i].event.kind == event.event.kind) {
      controller->chooseEventMark(i);
      return;
    }
  }
  // No fix to place it on the map: straight to its moment.
  controller->clearEventMarkSelection();
  const double groups = static_cast<double>(event.recording->nmea()->GOPs().size());
  controller->chooseRecordingPosition(
      event.recording, groups > 0.0 ? static_cast<float>(std::clamp(event.event.seconds / groups, 0.0, 1.0)) : 0.0F);
}

bool MainWindowController::jumpToDrivingEvent(int direction) {
  if (hasAttachedSheet() || !tabVC_ || !mediaController_) return false;
  QList<TripEvent> events = tabVC_->tripsVC()->events();
  // In the order of the recordings (the camera's clock), then within each.
  const auto before = [](const DCFInfoPtr& a, double aSeconds, const DCFInfoPtr& b, double bSeconds) {
    if (a != b) {
      if (a->startDate() != b->startDate()) return a->startDate() < b->startDate();
      return a->deltaPath() < b->deltaPath();
    }
    return aSeconds < bSeconds;
  };
  std::stable_sort(events.begin(), events.end(), [&](const TripEvent& a, const TripEvent& b) {
    return before(a.recording, a.event.seconds, b.recording, b.event.seconds);
  });
  const DCFInfoPtr current = mediaController_->catalogue()->currentDCF();
  const double now = primaryPlayer() ? primaryPlayer()->originalCurrentTime() : 0.0;
  // A second's leeway, so that one just reached is passed over and a second
  // press goes on rather than back.
  const TripEvent* target = nullptr;
  if (direction > 0) {
    for (const TripEvent& event : events) {
      if (!current || before(current, now + 1.0, event.recording, event.event.seconds)) {
        target = &event;
        break;
      }
    }
  } else {
    for (auto it = events.crbegin(); it != events.crend(); ++it) {
      if (current && before(it->recording, it->event.seconds, current, now - 1.0)) {
        target = &*it;
        break;
      }
    }
  }
  if (!target) {
    showPopover(graphWidget_, events.isEmpty() ? tr("No driving events on this card.")
                                               : direction > 0 ? tr("No later driving event.")
                                                               : tr("No earlier driving event."));
    return false;
  }
  playDrivingEvent(*target);
  return true;
}

void MainWindowController::setClockCorrectionEnabled(bool on) {
  clockCorrection_ = on;
  updateClockCorrection();
}

void MainWindowController::updateClockCorrection() {
  const std::optional<double> offset = tabVC_ ? tabVC_->tripsVC()->clockOffsetSeconds() : std::nullopt;
  const double seconds = clockCorrection_ && offset ? *offset : 0.0;
  if (tabVC_) {
    tabVC_->dcfListVC()->model()->setClockCorrection(seconds);
    tabVC_->eventVC()->model()->setClockCorrection(seconds);
  }
  if (auto* graph = qobject_cast<GraphViewController*>(graphWidget_)) graph->setClockCorrection(seconds);
  if (QAction* action = actions_.value(QStringLiteral("ViewMenu_CorrectedTimes"))) action->setChecked(clockCorrection_);
}

void MainWindowController::checkClockOffset() {
  TripListView* trips = tabVC_ ? tabVC_->tripsVC() : nullptr;
  const std::optional<double> offset = trips ? trips->clockOffsetSeconds() : std::nullopt;
  const TripPreferences preferences = TripPreferences::load();
  if (!offset || !preferences.clockOffsetIsLarge(*offset) || clockCorrection_) return;
  const DCFInfoList recordings = mediaController_->catalogue()->mediaTree();
  if (recordings.isEmpty()) return;
  // Once per card, also across runs.
  const QString identity = TripOverrides::cardIdentity(recordings.front()->rootPath(), recordings);
  QSettings settings;
  QStringList told = settings.value(QStringLiteral("trips/clockNoticeCards")).toStringList();
  if (told.contains(identity)) return;
  told.append(identity);
  // A short list: the oldest cards are forgotten first.
  while (told.size() > 200) told.removeFirst();
  settings.setValue(QStringLiteral("trips/clockNoticeCards"), told);
  auto* box = new QMessageBox(QMessageBox::Information, tr("Camera Clock"),
                              CardInfoDialog::offsetText(offset) + u'\n' +
                                  tr("Show the times corrected by it? The file names do not change."),
                              QMessageBox::NoButton, this);
  box->setObjectName(QStringLiteral("ClockOffsetNotice"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  QPushButton* correct = box->addButton(tr("Show Corrected Times"), QMessageBox::AcceptRole);
  box->addButton(tr("Keep Camera Times"), QMessageBox::RejectRole);
  connect(correct, &QPushButton::clicked, this, [this] { setClockCorrectionEnabled(true); });
  box->show();
  emit popoverShown(box->text());
}

CardFacts MainWindowController::cardFacts() const {
  CardFacts facts;
  const DCFInfoList recordings = mediaController_ ? mediaController_->catalogue()->mediaTree() : DCFInfoList();
  if (!recordings.isEmpty()) {
    facts.root = recordings.front()->rootPath();
    facts.identity = TripOverrides::cardIdentity(facts.root, recordings);
  } else if (document_) {
    facts.root = document_->fileURL();
  }
  for (const DCFInfoPtr& info : recordings) {
    ++facts.recordings;
    if (TripBuilder::isParking(*info)) {
      ++facts.parkingRecordings;
    } else if (info->isEventDCF()) {
      ++facts.eventRecordings;
    }
    if (!facts.first.isValid() || info->startDate() < facts.first) facts.first = info->startDate();
    if (!facts.last.isValid() || info->startDate() > facts.last) facts.last = info->startDate();
  }
  if (TripListView* trips = tabVC_ ? tabVC_->tripsVC() : nullptr) {
    facts.tripsReady = !trips->trips().isEmpty() || trips->clockOffsetSeconds().has_value() || recordings.isEmpty();
    facts.trips = int(trips->trips().size());
    for (const Trip& trip : trips->trips()) facts.distanceMeters += trip.distanceMeters;
    for (const TripEvent& event : trips->events()) ++facts.events[std::size_t(event.event.kind)];
    facts.zone = trips->cameraZone();
    facts.clockOffsetSeconds = trips->clockOffsetSeconds();
  }
  facts.thresholdMinutes = TripPreferences::load().clockOffsetThresholdMinutes;
  return facts;
}

void MainWindowController::showCardInfo() {
  if (hasAttachedSheet()) return;
  auto* sheet = new CardInfoDialog(cardFacts(), clockCorrection_, this);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  connect(sheet, &CardInfoDialog::correctionToggled, this, &MainWindowController::setClockCorrectionEnabled);
  sheet->open();
}

void MainWindowController::exportVideo() {
  // The span marked on the graph leads; the list's selection fills the rest.
  auto* graph = qobject_cast<GraphViewController*>(graphWidget_);
  if (DCFListViewController* list = tabVC_ ? tabVC_->currentListVC() : nullptr) {
    list->exportVideo(graph ? graph->exportStart() : QDateTime(), graph ? graph->exportEnd() : QDateTime());
  }
}

void MainWindowController::exportIncidentReport() {
  auto* graph = qobject_cast<GraphViewController*>(graphWidget_);
  DCFListViewController* list = tabVC_ ? tabVC_->currentListVC() : nullptr;
  if (!list || !mediaController_ || !list->validateAction(DCFListViewController::Action::ExportVideo)) return;
  const auto [from, to] = IncidentExportDialog::prefilledSpan(graph ? graph->exportStart() : QDateTime(),
                                                              graph ? graph->exportEnd() : QDateTime(),
                                                              list->selectionSpan());
  if (!evidenceTasks_) evidenceTasks_ = new EvidenceTasks(this, &mediaController_->tasks());
  const std::optional<double> offset = tabVC_ ? tabVC_->tripsVC()->clockOffsetSeconds() : std::nullopt;
  evidenceTasks_->setClockCorrection(clockCorrection_ && offset ? *offset : 0.0);
  evidenceTasks_->chooseAndExportReport(mediaController_->catalogue()->mediaTree(), from, to, list,
                                        mediaController_->repairedCopies());
}

void MainWindowController::playPause() {
  PlayerPane* player = primaryPlayer();
  if (hasAttachedSheet() || !player) return;
  if (player->isPlaying()) {
    player->pause();
  } else {
    player->play();
  }
}

void MainWindowController::seekBy(double seconds) {
  PlayerPane* player = primaryPlayer();
  if (hasAttachedSheet() || !player) return;
  const double total = player->originalTotalTime();
  if (total <= 0.0) return;
  const double target = player->originalCurrentTime() + seconds;
  player->setCurrentProgress(static_cast<float>(std::clamp(target / total, 0.0, 1.0)));
}

void MainWindowController::stepRecording(int delta) {
  if (hasAttachedSheet() || !tabVC_) return;
  DCFListViewController* list = tabVC_->currentListVC();
  const int rows = list->model() ? list->model()->rowCount() : 0;
  if (rows == 0) return;
  const QList<int> selected = list->tableView()->selectedRowIndexes();
  int row = selected.isEmpty() ? 0 : selected.first() + delta;
  row = std::clamp(row, 0, rows - 1);
  list->selectCurrentDCF(list->model()->dcfAt(row));
}

void MainWindowController::registerNotifications() {
  if (tabVC_) connect(tabVC_, &TabViewController::collapseDidChange, this, &MainWindowController::updateSideBarButton);
  connect(MediaControllerManager::sharedInstance(), &MediaControllerManager::masterControllerDidChange, this,
          [this](MediaController*) {
            isMasterController_ = mediaController_ && mediaController_->isMasterController();
            if (masterButton_) masterButton_->setChecked(isMasterController_);
          });
  for (ZoomPlayerViewController* player : {playerVC(), playerVCSecondary()}) {
    if (player) {
      connect(player->playerScrollView(), &PlayerScrollView::tripleTapped, this, &MainWindowController::toggleFullScreen);
    }
  }
  // Only changes of the active window count, not focus moves inside one.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
    if (!window) return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->windowHandle() == window) {
        keyWindowDidChange(top);
        return;
      }
    }
  });
}

void MainWindowController::setUpKeyboardNavigation() {
  // Tab walks the window as it reads: the bar, the side bar, the map, the
  // videos, the graph (each moved with the controls inside it).
  QWidget* stops[] = {findChild<QWidget*>(QStringLiteral("MainToolBarStrip")), sideBarStack_, mapWidget_,
                      playerSplitView_, graphWidget_};
  for (std::size_t i = 1; i < std::size(stops); ++i) {
    if (stops[i - 1] && stops[i]) QWidget::setTabOrder(stops[i - 1], stops[i]);
  }
  for (QWidget* pane : {mapWidget_, graphWidget_, static_cast<QWidget*>(playerVC()->playerScrollView()),
                        static_cast<QWidget*>(playerVCSecondary()->playerScrollView())}) {
    new FocusRing(pane);
  }
  toggleSideBarButton_->setAccessibleName(tr("Recording lists"));
  pathControl_->popUpButton()->setAccessibleName(tr("Open a card"));
  masterButton_->setAccessibleName(tr("Play two cards in step"));
  toggleSecondaryPlayerButton_->setAccessibleName(tr("Rear camera"));
  tabVC_->tabBar()->setAccessibleName(tr("Lists"));
  // Buttons that show only an icon or a sign are named by their tool tip.
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    const bool wordless =
        std::none_of(button->text().cbegin(), button->text().cend(), [](QChar c) { return c.isLetter(); });
    if (button->accessibleName().isEmpty() && wordless && !button->toolTip().isEmpty()) {
      button->setAccessibleName(button->toolTip());
    }
  }
}

void MainWindowController::updateEmptyCardView() {
  if (!sideBarStack_ || !tabVC_) return;
  const bool locked = !tabVC_->isActive();
  if (locked) {
    emptyCardView_->setCardOpen(document_ && !document_->fileURL().isEmpty());
    emptyCardView_->setCards(mountingVolumes_.values(),
                             MyDocumentController::sharedDocumentController()->recentDocumentURLs());
  }
  // Focus in the list that goes away would fall to nowhere: move it along.
  const bool hadFocus = sideBarStack_->isAncestorOf(QApplication::focusWidget());
  sideBarStack_->setCurrentWidget(locked ? static_cast<QWidget*>(emptyCardView_) : tabVC_.data());
  if (hadFocus) sideBarStack_->currentWidget()->setFocus(Qt::OtherFocusReason);
}

void MainWindowController::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.first().isLocalFile() && QFileInfo(urls.first().toLocalFile()).isDir() &&
      !hasAttachedSheet()) {
    event->acceptProposedAction();
  }
}

void MainWindowController::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile() || hasAttachedSheet()) return;
  const QFileInfo folder(urls.first().toLocalFile());
  if (!folder.isDir()) return;
  event->acceptProposedAction();
  // Links open what they point to, as from the open panel.
  const QString resolved = folder.canonicalFilePath();
  readDocumentFromURL(resolved.isEmpty() ? folder.absoluteFilePath() : resolved);
}

void MainWindowController::updateSideBarButton() {
  if (toggleSideBarButton_ && topSplitVC_) toggleSideBarButton_->setChecked(!topSplitVC_->isItemCollapsed(kLeftItem));
}

void MainWindowController::readDocumentFromURL(const QString& path) {
  MyDocumentController::sharedDocumentController()->openDocumentWithContentsOfURL(path, true, this);
}

void MainWindowController::resetWindow() {
  if (mediaController_) mediaController_->catalogue()->mediaTreeSyncAtRootPath(QString());
  if (pathControl_) pathControl_->setPath(QString());
}

void MainWindowController::showBottomBar() {
  if (rightSplitVC_) rightSplitVC_->expandItem(kGraphItem);
}

void MainWindowController::hideBottomBar() {
  if (rightSplitVC_) rightSplitVC_->collapseItem(kGraphItem);
}

void MainWindowController::toggleSourceList() {
  if (topSplitVC_) topSplitVC_->setItemCollapsed(kLeftItem, !topSplitVC_->isItemCollapsed(kLeftItem));
  updateSideBarButton();
  if (graphWidget_) graphWidget_->setFocus();
}

void MainWindowController::toggleFullScreen() {
  if (!topSplitVC_ || !rightSplitVC_) return;
  if (rightSplitVC_->isItemCollapsed(kGraphItem)) {
    if (topSplitVC_->isItemCollapsed(kLeftItem)) topSplitVC_->expandItem(kLeftItem);
    rightSplitVC_->expandItem(kGraphItem);
    if (graphWidget_) graphWidget_->setFocus();
  } else {
    if (!topSplitVC_->isItemCollapsed(kLeftItem)) topSplitVC_->collapseItem(kLeftItem);
    rightSplitVC_->collapseItem(kGraphItem);
  }
  updateSideBarButton();
}

void MainWindowController::setupSecondaryPlayerWithSecondaryEnable(bool enable) {
  secondaryPlayerIsActive_ = enable;
  masterButton_->setVisible(!enable);
  toggleSecondaryPlayerButton_->setVisible(enable);
  if (playerSplitVC()) playerSplitVC()->setupDividerWithSecondaryPlayerEnable(enable);
}

void MainWindowController::toggleSecondaryPlayer() {
  if (!playerSplitView_) return;
  const bool primaryExpanded = !isPlayerItemCollapsed(0);
  const bool secondaryExpanded = !isPlayerItemCollapsed(1);
  if (primaryExpanded && secondaryExpanded) {
    setPlayerItemCollapsed(1, true);
  } else if (!secondaryExpanded) {
    setPlayerItemCollapsed(1, false);
  }
  setPlayerItemCollapsed(0, false);
}

bool MainWindowController::isSyncPlay() const {
  return secondaryPlayerIsActive_ || !MyDocumentController::sharedDocumentController()->canOpenWindow();
}

void MainWindowController::masterButtonPressed(bool on) {
  MediaControllerManager* manager = MediaControllerManager::sharedInstance();
  if (on) {
    manager->updateMasterController(mediaController_.get());
    if (!isSyncPlay()) MyDocumentController::sharedDocumentController()->newDocument();
  } else {
    showPopover(masterButton_, tr("Synchronization canceled."));
    manager->updateMasterController(nullptr);
  }
  isMasterController_ = mediaController_->isMasterController();
}

void MainWindowController::keyWindowDidChange(QWidget* keyWindow) {
  PlayerPane* player = primaryPlayer();
  if (!isSyncPlay()) {
    if (isManulaMute_) {
      if (player) player->audioMuteEnable(false);
      isManulaMute_ = false;
    }
    return;
  }
  if (keyWindow == this) {
    MediaControllerManager* manager = MediaControllerManager::sharedInstance();
    if (manager->masterController()) {
      manager->updateMasterController(mediaController_.get());
      isMasterController_ = true;
    }
    if (isManulaMute_) {
      if (player) player->audioMuteEnable(false);
      isManulaMute_ = false;
    }
    if (!document_ || document_->fileURL().isEmpty()) {
      showPopover(pathControl_, tr("Select the media to play or synchronize."));
    }
  } else if (qobject_cast<MainWindowController*>(keyWindow)) {
    if (player && !player->muteState()) {
      player->audioMuteEnable(true);
      isManulaMute_ = true;
    }
  }
}

void MainWindowController::showPopover(QWidget* target, const QString& message) {
  if (target) OptionPopover::showPopoverWithTarget(target, message);
  emit popoverShown(message);
}

void MainWindowController::pathControlWillPopUpMenu(QMenu* menu) {
  QList<QAction*> items = menu->actions();
  for (int i = PathControl::kFixedMenuItems; i < items.size(); ++i) {
    menu->removeAction(items[i]);
    items[i]->deleteLater();
  }
  menu->addSeparator();
  menu->addAction(mountingVolumes_.isEmpty() ? tr("No Volumes") : tr("Mounted Volumes"))->setEnabled(false);
  for (const VolumeInformation& volume : std::as_const(mountingVolumes_)) {
    QAction* item = menu->addAction(volume.icon, volume.name);
    item->setToolTip(volume.devicePath);
    connect(item, &QAction::triggered, this, [this, path = volume.devicePath] { readDocumentFromURL(path); });
  }
  menu->addSeparator();
  const QStringList recents = MyDocumentController::sharedDocumentController()->recentDocumentURLs();
  menu->addAction(recents.isEmpty() ? tr("No Recent") : tr("Recents"))->setEnabled(false);
  for (const QString& path : recents) {
    QAction* item = menu->addAction(QIcon(QStringLiteral(":/images/folder.svg")), QFileInfo(path).fileName());
    item->setToolTip(path);
    connect(item, &QAction::triggered, this, [this, path] { readDocumentFromURL(path); });
  }
}

void MainWindowController::didMountVolume(const VolumeInformation& info) {
  mountingVolumes_.insert(info.fullPath, info);
  updateEmptyCardView();
}

void MainWindowController::didUnmountVolume(const VolumeInformation& info) {
  mountingVolumes_.remove(info.fullPath);
  updateEmptyCardView();
}

void MainWindowController::didRenameVolume(const VolumeInformation& info, const QString& oldPath) {
  mountingVolumes_.remove(oldPath);
  mountingVolumes_.insert(info.fullPath, info);
  updateEmptyCardView();
  // Only a window showing a card on that volume follows it. Mount paths,
  // without the URL's trailing slash, as the catalogue keeps its root.
  const QString oldRoot = QDir::cleanPath(QUrl(oldPath).toLocalFile());
  const QString card = document_ ? document_->fileURL() : QString();
  if (card.isEmpty() || oldRoot.isEmpty() || (card != oldRoot && !card.startsWith(oldRoot + QLatin1Char('/')))) return;
  const QString moved = QDir::cleanPath(QUrl(info.fullPath).toLocalFile()) + card.mid(oldRoot.size());
  document_->setFileURL(moved);
  if (pathControl_) pathControl_->setPath(moved);
  if (mediaController_) mediaController_->volumeRenameToPath(moved, card);
}

void MainWindowController::showSDLoadProgressDialog() {
  closeSDLoadProgressDilalog();
  auto* sheet = new SDCardLoadProgressWindowController(this);
  loadProgressSheet_ = sheet;
  sheet->open();
}

void MainWindowController::closeSDLoadProgressDilalog() {
  if (!loadProgressSheet_) return;
  SDCardLoadProgressWindowController* sheet = loadProgressSheet_;
  loadProgressSheet_.clear();
  sheet->hide();
  sheet->deleteLater();
}

void MainWindowController::updateLoadingPhase(int phase, int percentage) {
  if (loadProgressSheet_) loadProgressSheet_->contentViewController()->updateLoadingPhase(phase, percentage);
}

void MainWindowController::masterDidClear() {
  isMasterController_ = false;
  if (masterButton_) masterButton_->setChecked(false);
}

bool MainWindowController::hasAttachedSheet() const { return DCFListViewController::windowHasAttachedSheet(this); }

void MainWindowController::closeEvent(QCloseEvent* event) {
  QSettings().setValue(QStringLiteral("MainWindowFrameAutosaveName"), saveGeometry());
  if (PlayerPane* player = primaryPlayer()) player->pause();
  // Closing any window ends synchronised play in every window.
  MediaControllerManager::sharedInstance()->updateMasterController(nullptr);
  for (MainWindowController* window : MyDocumentController::sharedDocumentController()->windowControllers()) {
    window->masterDidClear();
  }
  masterDidClear();
  closeSDLoadProgressDilalog();
  if (MyDocument* document = document_) MyDocumentController::sharedDocumentController()->closeDocument(document);
  QMainWindow::closeEvent(event);
}


}  // namespace dashcard
