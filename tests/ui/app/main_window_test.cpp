#include "core/catalogue/recent_documents.h"
#include "core/playback/media_controller.h"
#include "core/playback/media_controller_manager.h"
#include "support/temp_card.h"
#include "support/wait_for.h"
#include "ui/app/application.h"
#include "ui/app/card_info_dialog.h"
#include "ui/app/empty_card_view.h"
#include "ui/app/left_split_view_controller.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"
#include "ui/app/my_document_controller.h"
#include "ui/app/path_control.h"
#include "ui/app/right_split_view_controller.h"
#include "ui/app/tab_view_controller.h"
#include "ui/app/top_split_view_controller.h"
#include "ui/catalogue/dcf_info_table_model.h"
#include "ui/catalogue/dcf_list_view_controller.h"
#include "ui/catalogue/event_list_view_controller.h"
#include "ui/catalogue/trip_list_view.h"
#include "ui/export/sd_card_load_progress_view_controller.h"
#include "ui/export/sd_card_load_progress_window_controller.h"
#include "ui/graph/graph_view.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/map/map_view.h"
#include "ui/playback/player_inline_controls.h"
#include "ui/playback/player_scroll_view.h"
#include "ui/playback/zoom_player_split_view_controller.h"
#include "ui/playback/zoom_player_view_controller.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCommandLinkButton>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGlyphRun>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QRawFont>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QToolButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::sharedCard;

// Generous: the machine may be busy; the waits end as soon as the state is reached.
constexpr int kWait = 60000;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { RecentDocuments::clearRecentDocuments(); }
  void TearDown() override {
    MediaControllerManager::sharedInstance()->updateMasterController(nullptr);
    MyDocumentController::sharedDocumentController()->reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Opens `path` and waits until its window shows it.
  MainWindowController* openCard(const QString& path) {
    auto* documents = MyDocumentController::sharedDocumentController();
    MyDocument* document = documents->openDocumentWithContentsOfURL(path, true);
    if (!document) return nullptr;
    if (!QTest::qWaitFor([&] { return !document->windowControllers().isEmpty(); }, kWait)) return nullptr;
    return document->windowControllers().first();
  }

  static QStringList menuTexts(QMenu* menu, bool enabledOnly = false) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) {
        texts.append(QStringLiteral("-"));
      } else if (!enabledOnly || action->isEnabled()) {
        texts.append(action->text());
      }
    }
    return texts;
  }
};

TEST_F(MainWindowTest, OpeningACardFillsBothListsAndPlaysTheFirstNormalRecording) {
  const auto& card = sharedCard();
  MainWindowController* window = openCard(card.root());
  ASSERT_NE(window, nullptr);
  MediaController* mc = window->mediaController();
  EXPECT_EQ(window->dcfListVC()->model()->rowCount(), mc->catalogue()->mediaTreeNormal().size());
  EXPECT_EQ(window->eventVC()->model()->rowCount(), mc->catalogue()->mediaTreeEvent().size());
  EXPECT_GT(mc->catalogue()->mediaTreeNormal().size(), 0);
  EXPECT_GT(mc->catalogue()->mediaTreeEvent().size(), 0);
  EXPECT_EQ(window->pathControl()->path(), QDir::cleanPath(card.root()));
  EXPECT_EQ(window->loadProgressSheetDialogWindows(), nullptr);
  EXPECT_TRUE(window->tabVC()->isActive());
  EXPECT_EQ(window->tabVC()->selectedTabViewItemIndex(), TabViewController::kFileTab);
  EXPECT_TRUE(window->secondaryPlayerIsActive());
  EXPECT_TRUE(window->toggleSecondaryPlayerButton()->isVisibleTo(window));
  EXPECT_FALSE(window->masterButton()->isVisibleTo(window));
  EXPECT_TRUE(RecentDocuments::recentDocumentPaths().contains(QDir::cleanPath(card.root())));

  ASSERT_TRUE(QTest::qWaitFor([&] { return mc->catalogue()->currentDCF() == mc->catalogue()->mediaTreeNormal().first(); }, kWait));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->playerVC()->isPlaying() && window->playerVC()->progress() > 0.0f; }, kWait));
  // The video surface shows the clip: a grabbed frame is not one flat colour.
  QImage frame;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    frame = window->playerVC()->grab().toImage();
    const QRgb first = frame.pixel(frame.width() / 2, frame.height() / 2);
    for (int y = 0; y < frame.height(); y += 7) {
      for (int x = 0; x < frame.width(); x += 7) {
        if (qAbs(qGray(frame.pixel(x, y)) - qGray(first)) > 40) return true;
      }
    }
    return false;
  }, kWait));
}

TEST_F(MainWindowTest, TheGraphCursorFollowsPlaybackAndItsSliderHoldsBothPlayers) {
  MainWindowController* window = openCard(sharedCard().root());
  ASSERT_NE(window, nullptr);
  auto* graph = qobject_cast<GraphViewController*>(window->graphView());
  ASSERT_NE(graph, nullptr);
  ZoomPlayerViewController* front = window->playerVC();
  ZoomPlayerViewController* rear = window->playerVCSecondary();

  ASSERT_TRUE(QTest::qWaitFor([&] { return front->isPlaying() && rear->isPlaying() && graph->currentInfo() != nullptr; },
                              kWait));
  const float start = graph->graphView()->progressLayerDrawer()->progress();
  ASSERT_TRUE(QTest::qWaitFor([&] { return graph->graphView()->progressLayerDrawer()->progress() > start; }, kWait));
  EXPECT_NE(graph->labelSpeed()->text(), "Speed:---");
  EXPECT_TRUE(front->inlineControls()->isVisibleTo(front));
  EXPECT_FALSE(rear->inlineControls()->isVisibleTo(rear));

  // Held at the middle: both players go there and stand still until released.
  QSlider* slider = graph->timeSlider();
  slider->setSliderDown(true);
  slider->setValue(slider->maximum() / 2);
  EXPECT_TRUE(graph->userControlIsActive());
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return !front->isPlaying() && !rear->isPlaying() && std::abs(front->progress() - 0.5f) < 0.05f &&
           std::abs(rear->progress() - 0.5f) < 0.05f;
  }, kWait));
  slider->setSliderDown(false);
  EXPECT_FALSE(graph->userControlIsActive());
  EXPECT_FALSE(front->isPlaying());
}

// The open panel is the active window when a folder is chosen in it: the
// card must still go into the window the panel was opened from.
TEST_F(MainWindowTest, OpenPanelPutsTheCardIntoTheWindowItWasOpenedFrom) {
  const test::TempCard& card = sharedCard(2, 3, false);
  ASSERT_TRUE(card.ok());
  SampleCardOptions options;
  options.clips = 2;
  options.encodeVideos = false;
  test::TempCard secondCard(options);
  ASSERT_TRUE(secondCard.ok());

  MainWindowController* first = openCard(card.root());
  ASSERT_NE(first, nullptr);
  auto* documents = MyDocumentController::sharedDocumentController();
  MyDocument* empty = documents->newDocument();
  ASSERT_NE(empty, nullptr);
  MainWindowController* second = empty->targetWindowController();
  ASSERT_NE(second, first);

  documents->openDocument(second);
  auto* panel = qobject_cast<QFileDialog*>(documents->openPanel());
  ASSERT_NE(panel, nullptr);
  // As the user's click would, the panel takes the focus (an X server
  // without a window manager may refuse it: the card's window is checked
  // either way).
  panel->activateWindow();
  (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == panel; }, 5000);
  emit panel->fileSelected(secondCard.root());
  panel->close();
  MyDocument* opened = documents->documents().isEmpty() ? nullptr : documents->documents().last();
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->targetWindowController(), second);
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened->windowControllers().contains(second); }, kWait));
  ASSERT_NE(first->document(), nullptr);
  EXPECT_EQ(first->document()->fileURL(), QDir::cleanPath(card.root()));
}

// New Window while a card still loads: the loading window is taken (it must
// not get a second document), and its sheet keeps showing the progress
// while the new window has the focus.
TEST_F(MainWindowTest, AWindowStillLoadingIsTakenAndItsSheetGetsTheProgress) {
  const test::TempCard& card = sharedCard(6, 3, false);
  ASSERT_TRUE(card.ok());
  auto* documents = MyDocumentController::sharedDocumentController();
  // The second window is made only when wanted, and never a third.
  documents->ensureWindowControllers();
  ASSERT_EQ(documents->windowControllers().size(), 1);
  MainWindowController* loading = documents->windowControllers().first();
  MyDocument* document = documents->openDocumentWithContentsOfURL(card.root(), false, loading);
  ASSERT_NE(document, nullptr);
  ASSERT_EQ(document->targetWindowController(), loading);
  ASSERT_NE(loading->loadProgressSheetDialogWindows(), nullptr);
  QList<int> shown;
  QObject::connect(loading->loadProgressSheetDialogWindows()->contentViewController()->progressBar(),
                   &QProgressBar::valueChanged, [&](int value) { shown << value; });

  MyDocument* empty = documents->newDocument();
  ASSERT_NE(empty, nullptr);
  MainWindowController* other = empty->targetWindowController();
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, loading);
  EXPECT_EQ(documents->newDocument(), nullptr);
  EXPECT_EQ(documents->windowControllers().size(), 2);
  QApplication::setActiveWindow(other);
  ASSERT_TRUE(QTest::qWaitFor([&] { return document->windowControllers().contains(loading); }, kWait));
  EXPECT_TRUE(shown.contains(100)) << shown.size();
  EXPECT_EQ(loading->document(), document);
  EXPECT_EQ(other->document(), empty);
}

TEST_F(MainWindowTest, AFolderThatIsNotACardIsRefusedAndNoWindowChanges) {
  auto* documents = MyDocumentController::sharedDocumentController();
  QStringList errors;
  auto saved = documents->presentError;
  documents->presentError = [&](QWidget*, const QString& title, const QString& message) { errors << title << message; };
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("notes.txt")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_EQ(documents->openDocumentWithContentsOfURL(dir.path(), true), nullptr);
  EXPECT_EQ(documents->openDocumentWithContentsOfURL(dir.filePath(QStringLiteral("missing")), true), nullptr);
  EXPECT_EQ(documents->openDocumentWithContentsOfURL(file.fileName(), true), nullptr);
  EXPECT_EQ(errors.size(), 6);
  EXPECT_TRUE(documents->documents().isEmpty());
  EXPECT_TRUE(documents->windowControllers().isEmpty());
  documents->presentError = saved;
}

TEST_F(MainWindowTest, PathControlMenuListsVolumesAndRecentsOrSaysThereAreNone) {
  std::unique_ptr<MainWindowController> window(MainWindowController::windowController());
  PathControl* control = window->pathControl();
  control->prepareMenu();
  QStringList texts = menuTexts(control->menu());
  ASSERT_EQ(texts.size(), PathControl::kFixedMenuItems + 4);
  EXPECT_EQ(texts.mid(PathControl::kFixedMenuItems),
            (QStringList{QStringLiteral("-"), QStringLiteral("No Volumes"), QStringLiteral("-"), QStringLiteral("No Recent")}));
  EXPECT_TRUE(menuTexts(control->menu(), true).mid(PathControl::kFixedMenuItems).filter(QStringLiteral("No")).isEmpty());

  window->didMountVolume({{}, QStringLiteral("CARD"), QStringLiteral("/media/CARD"), QStringLiteral("file:///media/CARD/")});
  RecentDocuments::noteNewRecentDocumentPath(QStringLiteral("/tmp/trip \"two\""));
  control->prepareMenu();
  texts = menuTexts(control->menu());
  EXPECT_EQ(texts.mid(PathControl::kFixedMenuItems),
            (QStringList{QStringLiteral("-"), QStringLiteral("Mounted Volumes"), QStringLiteral("CARD"), QStringLiteral("-"),
                         QStringLiteral("Recents"), QStringLiteral("trip \"two\"")}));
  EXPECT_EQ(control->menu()->actions().value(PathControl::kFixedMenuItems + 2)->toolTip(), QStringLiteral("/media/CARD"));

  const VolumeInformation renamed{{}, QStringLiteral("TRIP"), QStringLiteral("/media/TRIP"), QStringLiteral("file:///media/TRIP/")};
  const QString shown = control->path();
  window->didRenameVolume(renamed, QStringLiteral("file:///media/CARD/"));
  EXPECT_EQ(window->mountingVolumes().keys(), QStringList{QStringLiteral("file:///media/TRIP/")});
  // A window without a card on that volume keeps its path.
  EXPECT_EQ(control->path(), shown);
  window->didUnmountVolume(renamed);
  RecentDocuments::clearRecentDocuments();
  control->prepareMenu();
  EXPECT_EQ(menuTexts(control->menu()).mid(PathControl::kFixedMenuItems),
            (QStringList{QStringLiteral("-"), QStringLiteral("No Volumes"), QStringLiteral("-"), QStringLiteral("No Recent")}));
}

// A first start fits the screen's free area, however small, and never grows past 1280 x 800.
TEST_F(MainWindowTest, TheFirstSizeFitsTheAvailableArea) {
  const struct {
    QSize available;
    QSize size;
  } cases[] = {
      {QSize(1920, 1052), QSize(1280, 800)},
      {QSize(1366, 741), QSize(1280, 704)},
      {QSize(1024, 600), QSize(973, 570)},
  };
  for (const auto& c : cases) {
    QSize minimum;
    const QSize size = MainWindowController::firstSize(c.available, &minimum);
    EXPECT_EQ(size, c.size) << c.available.width();
    EXPECT_TRUE(size.width() >= minimum.width() && size.height() >= minimum.height()) << c.available.width();
  }
}

// A window without a card says what to do and opens what it offers.
TEST_F(MainWindowTest, TheEmptyWindowOffersTheInsertedAndRecentCardsAndOpensThem) {
  const QString card = QDir::cleanPath(sharedCard().root());
  // Earlier tests of this run opened other cards.
  RecentDocuments::clearRecentDocuments();
  RecentDocuments::noteNewRecentDocumentPath(card);
  MyDocument* document = MyDocumentController::sharedDocumentController()->newDocument();
  ASSERT_NE(document, nullptr);
  MainWindowController* window = document->windowControllers().first();
  window->didMountVolume(
      {{}, QStringLiteral("CARD"), QStringLiteral("/media/CARD"), QStringLiteral("file:///media/CARD/")});
  EmptyCardView* empty = window->emptyCardView();
  ASSERT_TRUE(empty->isVisible());
  EXPECT_FALSE(window->tabVC()->isVisible());
  QStringList offered;
  QCommandLinkButton* recent = nullptr;
  for (auto* button : empty->findChildren<QCommandLinkButton*>()) {
    offered << button->text() + QStringLiteral(" ") + button->description();
    if (button->toolTip() == card) recent = button;
  }
  EXPECT_EQ(offered,
            (QStringList{QStringLiteral("CARD /media/CARD"), QFileInfo(card).fileName() + QStringLiteral(" ") + card}));
  ASSERT_NE(recent, nullptr);
  recent->click();
  DC_TRY_VERIFY_WITH_TIMEOUT(window->tabVC()->isVisible() && window->tabVC()->isActive(), kWait);
  EXPECT_FALSE(empty->isVisible());
  ASSERT_NE(window->document(), nullptr);
  EXPECT_EQ(window->document()->fileURL(), card);
}

// A machine without a CJK font draws Japanese as boxes: glyph 0, the font's
// missing glyph, is what gets drawn then.
TEST_F(MainWindowTest, JapaneseMenuTitlesHaveTheirGlyphs) {
  QTranslator translator;
  ASSERT_EQ(Application::loadTranslator(translator, QLocale(QLocale::Japanese, QLocale::Japan)), QStringLiteral("ja_JP"));
  QCoreApplication::installTranslator(&translator);
  MyDocument* document = MyDocumentController::sharedDocumentController()->newDocument();
  QCoreApplication::removeTranslator(&translator);
  ASSERT_NE(document, nullptr);
  QMenuBar* bar = document->windowControllers().first()->menuBar();
  int japanese = 0;
  for (QAction* action : bar->actions()) {
    const QString title = action->text().remove(QLatin1Char('&'));
    japanese += title.contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"))) ? 1 : 0;
    QTextLayout layout(title, bar->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
      EXPECT_FALSE(run.glyphIndexes().contains(0)) << qPrintable(title) << " in " << qPrintable(run.rawFont().familyName());
    }
  }
  EXPECT_GE(japanese, 4);
}

// A card folder dropped on a window opens in that window; anything else is refused.
TEST_F(MainWindowTest, ACardFolderDroppedOnTheSecondWindowOpensThere) {
  auto* documents = MyDocumentController::sharedDocumentController();
  ASSERT_NE(documents->newDocument(), nullptr);
  ASSERT_NE(documents->newDocument(), nullptr);
  MainWindowController* first = documents->windowControllers().at(0);
  MainWindowController* second = documents->windowControllers().at(1);
  const QString card = QDir::cleanPath(sharedCard().root());
  const auto drop = [second](const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(second, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(second, &event);
    return event.isAccepted();
  };
  EXPECT_FALSE(drop(card + QStringLiteral("/NORMAL/missing.MP4")));
  ASSERT_TRUE(drop(card));
  DC_TRY_VERIFY_WITH_TIMEOUT(second->tabVC()->isActive(), kWait);
  EXPECT_EQ(second->document()->fileURL(), card);
  EXPECT_TRUE(first->document() == nullptr || first->document()->fileURL().isEmpty());
  EXPECT_TRUE(first->emptyCardView()->isVisible());
}

// Tab walks the window in reading order, and every stop has a name for a screen reader.
TEST_F(MainWindowTest, TabReachesEveryPaneInReadingOrderAndEachStopIsNamed) {
  MainWindowController* window = openCard(sharedCard().root());
  ASSERT_NE(window, nullptr);
  DC_TRY_VERIFY_WITH_TIMEOUT(window->tabVC()->isActive(), kWait);
  QWidget* const stops[] = {
      window->toggleSideBarButton(),
      window->pathControl()->popUpButton(),
      window->toggleSecondaryPlayerButton(),
      window->tabVC()->tabBar(),
      window->dcfListVC()->tableView(),
      window->mapView(),
      window->playerVC()->playerScrollView(),
      window->playerVCSecondary()->playerScrollView(),
      window->graphView(),
  };
  window->toggleSideBarButton()->setFocus(Qt::TabFocusReason);
  QList<QWidget*> visited;
  for (int i = 0; i < 200; ++i) {
    QWidget* now = window->focusWidget();
    if (!now || (i > 0 && now == window->toggleSideBarButton())) break;
    visited.append(now);
    QTest::keyClick(now, Qt::Key_Tab);
  }
  qsizetype previous = -1;
  for (QWidget* stop : stops) {
    const qsizetype at = visited.indexOf(stop);
    EXPECT_GT(at, previous) << stop->accessibleName().toStdString() << " is not reached in order";
    previous = std::max(previous, at);
  }
  for (QWidget* stop : visited) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(stop);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
        << stop->metaObject()->className() << " " << stop->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, PaneModeAndSideBarCollapseAndComeBack) {
  std::unique_ptr<MainWindowController> window(MainWindowController::windowController());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  EXPECT_TRUE(window->toggleSideBarButton()->isChecked());
  window->toggleFullScreen();
  window->topSplitVC()->finishAnimation();
  window->rightSplitVC()->finishAnimation();
  EXPECT_TRUE(window->topSplitVC()->isItemCollapsed(0));
  EXPECT_TRUE(window->rightSplitVC()->isItemCollapsed(1));
  EXPECT_FALSE(window->toggleSideBarButton()->isChecked());
  window->toggleFullScreen();
  window->topSplitVC()->finishAnimation();
  window->rightSplitVC()->finishAnimation();
  EXPECT_FALSE(window->topSplitVC()->isItemCollapsed(0));
  EXPECT_FALSE(window->rightSplitVC()->isItemCollapsed(1));
  EXPECT_TRUE(window->toggleSideBarButton()->isChecked());

  window->toggleSourceList();
  window->topSplitVC()->finishAnimation();
  EXPECT_TRUE(window->topSplitVC()->isItemCollapsed(0));
  EXPECT_FALSE(window->toggleSideBarButton()->isChecked());
  // Pane mode from a hidden side bar brings both panes back.
  window->hideBottomBar();
  window->rightSplitVC()->finishAnimation();
  window->toggleFullScreen();
  window->topSplitVC()->finishAnimation();
  window->rightSplitVC()->finishAnimation();
  EXPECT_FALSE(window->topSplitVC()->isItemCollapsed(0));
  EXPECT_FALSE(window->rightSplitVC()->isItemCollapsed(1));
}

TEST_F(MainWindowTest, MenuCommandsFollowTheListsAndTheLoadingSheet) {
  MainWindowController* window = openCard(sharedCard().root());
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  QAction* backUp = window->menuAction(QStringLiteral("FileMenu_BackUp"));
  QAction* exportKML = window->menuAction(QStringLiteral("FileMenu_Export"));
  QAction* exportVideo = window->menuAction(QStringLiteral("FileMenu_ExportVideo"));
  QAction* open = window->menuAction(QStringLiteral("FileMenu_Open"));
  QMenu* fileMenu = qobject_cast<QMenu*>(backUp->parent());
  ASSERT_NE(fileMenu, nullptr);
  emit fileMenu->aboutToShow();
  EXPECT_TRUE(backUp->isEnabled());
  EXPECT_TRUE(exportKML->isEnabled());
  EXPECT_TRUE(exportVideo->isEnabled());
  // The span marked on the graph is what the dialog opens on.
  auto* graph = qobject_cast<GraphViewController*>(window->graphView());
  const QDateTime start = window->mediaController()->catalogue()->mediaTree().first()->startDate();
  graph->setExportSpan(start.addSecs(1), start.addSecs(2));
  exportVideo->trigger();
  ASSERT_NE(window->dcfListVC()->exportVideoDialog(), nullptr);
  EXPECT_EQ(window->dcfListVC()->exportVideoDialog()->startEdit()->dateTime(), start.addSecs(1));
  EXPECT_EQ(window->dcfListVC()->exportVideoDialog()->endEdit()->dateTime(), start.addSecs(2));
  window->dcfListVC()->exportVideoDialog()->reject();
  // Without a card there is nothing to export.
  std::unique_ptr<MainWindowController> empty(MainWindowController::windowController());
  emit qobject_cast<QMenu*>(empty->menuAction(QStringLiteral("FileMenu_ExportVideo"))->parent())->aboutToShow();
  EXPECT_FALSE(empty->menuAction(QStringLiteral("FileMenu_ExportVideo"))->isEnabled());

  window->dcfListVC()->deselection();
  emit fileMenu->aboutToShow();
  EXPECT_FALSE(backUp->isEnabled());
  EXPECT_TRUE(exportKML->isEnabled());

  window->showSDLoadProgressDialog();
  EXPECT_TRUE(window->hasAttachedSheet());
  emit fileMenu->aboutToShow();
  EXPECT_FALSE(exportKML->isEnabled());
  EXPECT_FALSE(exportVideo->isEnabled());
  if (window->isActiveWindow()) {
    EXPECT_FALSE(open->isEnabled());
  }
  window->closeSDLoadProgressDilalog();
  EXPECT_FALSE(window->hasAttachedSheet());
}

TEST_F(MainWindowTest, SecondaryPlayerToggleKeepsThePrimaryShown) {
  std::unique_ptr<MainWindowController> window(MainWindowController::windowController());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->setupSecondaryPlayerWithSecondaryEnable(true);
  EXPECT_FALSE(window->masterButton()->isVisibleTo(window.get()));
  EXPECT_TRUE(window->toggleSecondaryPlayerButton()->isVisibleTo(window.get()));
  MainWindowController* split = window.get();
  const auto shown = [&](bool front, bool rear) {
    return QTest::qWaitFor(
        [&] { return split->isPlayerItemCollapsed(0) != front && split->isPlayerItemCollapsed(1) != rear; }, kWait);
  };
  ASSERT_TRUE(shown(true, true));

  window->toggleSecondaryPlayer();  // both shown: the rear goes
  EXPECT_TRUE(shown(true, false));
  window->toggleSecondaryPlayer();  // rear hidden: it comes back
  EXPECT_TRUE(shown(true, true));
  split->setPlayerItemCollapsed(0, true);  // only the rear shown: the front comes back, the rear stays
  ASSERT_TRUE(shown(false, true));
  window->toggleSecondaryPlayer();
  EXPECT_TRUE(shown(true, true));

  window->setupSecondaryPlayerWithSecondaryEnable(false);
  EXPECT_TRUE(window->masterButton()->isVisibleTo(window.get()));
  EXPECT_FALSE(window->toggleSecondaryPlayerButton()->isVisibleTo(window.get()));
}

TEST_F(MainWindowTest, AReusedWindowTakesTheRearCameraStateOfEachNewCard) {
  SampleCardOptions options;
  options.clips = 2;
  options.rear = false;
  test::TempCard frontOnly(options);
  ASSERT_TRUE(frontOnly.ok()) << frontOnly.error().toStdString();
  QTemporaryDir empty;
  ASSERT_TRUE(QDir(empty.path()).mkpath(QStringLiteral("NORMAL")));

  MainWindowController* window = openCard(sharedCard().root());
  ASSERT_TRUE(window);
  DC_TRY_VERIFY_WITH_TIMEOUT(window->mediaController()->catalogue()->mediaTree().size() == sharedCard().clips().size(), kWait);
  ASSERT_TRUE(window->toggleSecondaryPlayerButton()->isVisibleTo(window));
  ASSERT_TRUE(window->isSyncPlay());

  // A card without rear videos, a card without recordings, no card at all.
  const auto frontOnlyState = [&] {
    return window->masterButton()->isVisibleTo(window) && !window->toggleSecondaryPlayerButton()->isVisibleTo(window) &&
           !window->isSyncPlay();
  };
  window->mediaController()->catalogue()->mediaTreeSyncAtRootPath(frontOnly.root());
  EXPECT_TRUE(frontOnlyState());
  window->mediaController()->catalogue()->mediaTreeSyncAtRootPath(sharedCard().root());
  ASSERT_FALSE(frontOnlyState());
  window->mediaController()->catalogue()->mediaTreeSyncAtRootPath(empty.path());
  EXPECT_TRUE(frontOnlyState());
  window->mediaController()->catalogue()->mediaTreeSyncAtRootPath(sharedCard().root());
  ASSERT_FALSE(frontOnlyState());
  window->resetWindow();
  EXPECT_TRUE(frontOnlyState());
}

TEST_F(MainWindowTest, TwoWindowsUnderAMasterFollowEachOtherByDate) {
  // The master button is offered for cards without a rear camera.
  SampleCardOptions options;
  options.clips = 6;
  options.rear = false;
  test::TempCard card(options);
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  // The second card is the same card reached by another path.
  QTemporaryDir links;
  const QString second = links.filePath(QStringLiteral("second card"));
  ASSERT_TRUE(QFile::link(card.root(), second));

  MainWindowController* first = openCard(card.root());
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->secondaryPlayerIsActive());
  EXPECT_TRUE(first->masterButton()->isVisibleTo(first));
  std::vector<QString> popovers;
  QObject::connect(first, &MainWindowController::popoverShown, [&](const QString& text) { popovers.push_back(text); });

  // Switching the master on opens an empty window for the second card.
  first->masterButton()->click();
  EXPECT_TRUE(first->mediaController()->isMasterController());
  auto* documents = MyDocumentController::sharedDocumentController();
  ASSERT_EQ(documents->documents().size(), 2);
  MainWindowController* other = nullptr;
  for (MainWindowController* window : documents->windowControllers()) {
    if (window != first) other = window;
  }
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(other->isVisible());
  EXPECT_FALSE(documents->canOpenWindow());
  EXPECT_TRUE(first->isSyncPlay());

  other->activateWindow();
  other->raise();
  // Without a window manager the X server now and then keeps the focus where
  // it was; the key-window rules cannot be checked then.
  if (!QTest::qWaitFor([&] { return other->isActiveWindow(); }, 10000)) {
    GTEST_SKIP() << "the X server did not move the focus to the other window";
  }
  MyDocument* secondDocument = documents->openDocumentWithContentsOfURL(second, true);
  ASSERT_NE(secondDocument, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return secondDocument->windowControllers().contains(other); }, kWait));
  EXPECT_TRUE(documents->isMultiWindow());

  // The master plays its third normal recording; the follower finds the same one by date.
  first->activateWindow();
  first->raise();
  // Without a window manager the X server now and then keeps the focus where
  // it was; the key-window rules cannot be checked then.
  if (!QTest::qWaitFor([&] { return first->isActiveWindow(); }, 10000)) {
    GTEST_SKIP() << "the X server did not move the focus to the other window";
  }
  ASSERT_TRUE(first->mediaController()->isMasterController());
  MediaController* master = first->mediaController();
  MediaController* follower = other->mediaController();
  ASSERT_GE(master->catalogue()->mediaTreeNormal().size(), 3);
  first->dcfListVC()->selectCurrentDCF(master->catalogue()->mediaTreeNormal().at(2));
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return master->catalogue()->currentDCF() == master->catalogue()->mediaTreeNormal().at(2) && follower->catalogue()->currentDCF() &&
           follower->catalogue()->currentDCF()->dcfName() == master->catalogue()->currentDCF()->dcfName();
  }, kWait));

  // Only the key window is heard.
  EXPECT_TRUE(other->playerVC()->muteState());
  EXPECT_FALSE(first->playerVC()->muteState());

  first->masterButton()->click();
  EXPECT_EQ(MediaControllerManager::sharedInstance()->masterController(), nullptr);
  ASSERT_FALSE(popovers.empty());
  EXPECT_EQ(popovers.back(), QStringLiteral("Synchronization canceled."));
}

TEST_F(MainWindowTest, NextAndPreviousDrivingEventPlayEachAndTheSheetCountsThem) {
  // The simulated drive's moves pass these lower thresholds.
  QSettings settings;
  settings.setValue(QStringLiteral("trips/brakingG"), 0.2);
  settings.setValue(QStringLiteral("trips/accelerationG"), 0.2);
  settings.setValue(QStringLiteral("trips/corneringG"), 0.1);
  const auto restore = qScopeGuard([] { QSettings().remove(QStringLiteral("trips")); });
  // A minute of driving, enough for a few moves.
  MainWindowController* window = openCard(sharedCard(20, 3, true).root());
  ASSERT_NE(window, nullptr);
  TripListView* trips = window->tabVC()->tripsVC();
  DC_TRY_VERIFY_WITH_TIMEOUT(trips->events().size() >= 2, kWait);
  auto* map = qobject_cast<MapView*>(window->mapView());
  EXPECT_FALSE(map->controller()->eventMarks().isEmpty());

  MediaController* mc = window->mediaController();
  const auto at = [&](const DCFInfoPtr& info, double seconds) {
    return mc->catalogue()->currentDCF() == info &&
           std::abs(window->primaryPlayer()->originalCurrentTime() - seconds) < 1.0;
  };
  const auto jump = [&](int direction) -> std::pair<DCFInfoPtr, double> {
    if (!window->jumpToDrivingEvent(direction)) return {};
    const int mark = map->controller()->selectedEventMark();
    if (mark < 0) return {};
    const auto& chosen = map->controller()->eventMarks()[mark];
    return {chosen.recording.lock(), chosen.event.seconds};
  };
  window->primaryPlayer()->pause();
  const auto first = jump(1);
  ASSERT_TRUE(first.first);
  DC_TRY_VERIFY_WITH_TIMEOUT(at(first.first, first.second), kWait);
  window->primaryPlayer()->pause();
  const auto second = jump(1);
  ASSERT_TRUE(second.first);
  EXPECT_TRUE(second.first != first.first || second.second > first.second);
  DC_TRY_VERIFY_WITH_TIMEOUT(at(second.first, second.second), kWait);
  window->primaryPlayer()->pause();
  EXPECT_EQ(jump(-1), first);

  const CardFacts facts = window->cardFacts();
  EXPECT_TRUE(facts.tripsReady);
  EXPECT_EQ(facts.recordings, mc->catalogue()->mediaTree().size());
  EXPECT_EQ(facts.events[0] + facts.events[1] + facts.events[2], trips->events().size());
  ASSERT_TRUE(facts.clockOffsetSeconds.has_value());
  EXPECT_NEAR(*facts.clockOffsetSeconds, 0.0, 1.0);
}

TEST_F(MainWindowTest, TheClockOffsetIsToldInWords) {
  const struct {
    std::optional<double> offset;
    const char* words;
  } cases[] = {{std::nullopt, "cannot be checked"},
               {0.4, "matches GPS time"},
               {192.0, "3 min 12 s ahead"},
               {-9.0 * 3600 - 5, "9 h 5 s behind"}};
  for (const auto& c : cases)
    EXPECT_TRUE(CardInfoDialog::offsetText(c.offset).contains(QLatin1String(c.words))) << c.words;
}

TEST_F(MainWindowTest, TwoCardsOpenInTwoWindowsTheFirstLeading) {
  const auto& card = sharedCard();
  QTemporaryDir links;
  const QString second = links.filePath(QStringLiteral("second card"));
  ASSERT_TRUE(QFile::link(card.root(), second));
  auto* documents = MyDocumentController::sharedDocumentController();
  ASSERT_TRUE(documents->openCardsInStep(card.root(), second));
  ASSERT_EQ(documents->documents().size(), 2);
  MainWindowController* lead = documents->documents().at(0)->targetWindowController();
  ASSERT_NE(lead, nullptr);
  EXPECT_TRUE(lead->mediaController()->isMasterController());
  DC_TRY_VERIFY_WITH_TIMEOUT(documents->isMultiWindow(), kWait);
  // The same card twice is one window; a card that is not one opens nothing.
  MediaControllerManager::sharedInstance()->updateMasterController(nullptr);
  documents->reset();
  ASSERT_TRUE(documents->openCardsInStep(card.root(), card.root()));
  EXPECT_EQ(documents->documents().size(), 1);
  EXPECT_FALSE(documents->openCardsInStep(links.filePath(QStringLiteral("missing")), card.root()));
}

TEST_F(MainWindowTest, AClockOffCardIsToldOnceAndItsTimesCorrectedOnRequest) {
  // The shared card with every name seven minutes ahead of its GPS time.
  QTemporaryDir dir;
  const QString root = sharedCard(2, 3, false).root();
  QDirIterator files(root, QDir::Files, QDirIterator::Subdirectories);
  static const QRegularExpression stamp(QStringLiteral("\\d{14}"));
  while (files.hasNext()) {
    const QString path = files.next();
    QString relative = QDir(root).relativeFilePath(path);
    for (auto match = stamp.match(relative); match.hasMatch(); match = stamp.match(relative, match.capturedEnd())) {
      const QDateTime shifted = QDateTime::fromString(match.captured(), QStringLiteral("yyyyMMddHHmmss")).addSecs(420);
      relative.replace(match.capturedStart(), match.capturedLength(),
                       shifted.toString(QStringLiteral("yyyyMMddHHmmss")));
    }
    ASSERT_TRUE(QDir().mkpath(QFileInfo(dir.filePath(relative)).path()));
    ASSERT_TRUE(QFile::copy(path, dir.filePath(relative)));
  }
  QSettings().remove(QStringLiteral("trips/clockNoticeCards"));
  const auto notice = [] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == QLatin1String("ClockOffsetNotice") && top->isVisible())
        return qobject_cast<QMessageBox*>(top);
    }
    return static_cast<QMessageBox*>(nullptr);
  };
  MainWindowController* window = openCard(dir.path());
  ASSERT_NE(window, nullptr);
  DC_TRY_VERIFY_WITH_TIMEOUT(notice() != nullptr, kWait);
  ASSERT_TRUE(window->tabVC()->tripsVC()->clockOffsetSeconds().has_value());
  EXPECT_NEAR(*window->tabVC()->tripsVC()->clockOffsetSeconds(), 420.0, 1.0);
  EXPECT_FALSE(window->clockCorrectionEnabled());
  QMessageBox* box = notice();
  QAbstractButton* correct = nullptr;
  for (QAbstractButton* button : box->buttons()) {
    if (box->buttonRole(button) == QMessageBox::AcceptRole) correct = button;
  }
  ASSERT_NE(correct, nullptr);
  correct->click();
  EXPECT_TRUE(window->clockCorrectionEnabled());
  EXPECT_NEAR(window->dcfListVC()->model()->clockCorrection(), 420.0, 1.0);

  // Once per card: opened again, it says nothing and shows the camera's times.
  MyDocumentController::sharedDocumentController()->reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  window = openCard(dir.path());
  ASSERT_NE(window, nullptr);
  DC_TRY_VERIFY_WITH_TIMEOUT(window->tabVC()->tripsVC()->clockOffsetSeconds().has_value(), kWait);
  EXPECT_EQ(notice(), nullptr);
  EXPECT_EQ(window->dcfListVC()->model()->clockCorrection(), 0.0);
  QSettings().remove(QStringLiteral("trips/clockNoticeCards"));
}

// The trips wait for the card's first clip to load; a card whose videos
// are all empty, so that nothing loads, still gets them, and the trips of
// the card before are gone meanwhile.
TEST_F(MainWindowTest, TripsComeAlsoForACardThatPlaysNothing) {
  QTemporaryDir dir;
  const QString root = sharedCard(2, 3, false).root();
  QDirIterator files(root, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    const QString relative = QDir(root).relativeFilePath(path);
    QFile original(path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    ASSERT_TRUE(test::writeFileAt(dir.path(), relative,
                                  relative.endsWith(QLatin1String(".MP4")) ? QByteArray() : original.readAll()));
  }
  MainWindowController* window = openCard(dir.path());
  ASSERT_NE(window, nullptr);
  TripListView* trips = window->tabVC()->tripsVC();
  DC_TRY_VERIFY_WITH_TIMEOUT(trips->topLevelItemCount() > 0, kWait);
  window->mediaController()->catalogue()->mediaTreeSyncAtRootPath(root);
  EXPECT_EQ(trips->topLevelItemCount(), 0);
  EXPECT_TRUE(trips->trips().isEmpty());
  DC_TRY_VERIFY_WITH_TIMEOUT(trips->topLevelItemCount() > 0, kWait);
  EXPECT_EQ(trips->trips().front().recordings.front()->rootPath(), root);
}

}  // namespace
}  // namespace dashcard
