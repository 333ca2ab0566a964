#include "ui/map/map_view.h"

#include "core/catalogue/dcf_info.h"
#include "core/map/custom_point_annotation_image.h"
#include "core/map/web_mercator.h"
#include "ui/map/custom_map_callout_view.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QWheelEvent>

namespace dashcard {

namespace {
constexpr int kDragThreshold = 4;
constexpr double kRouteHitTolerance = 6.0;
constexpr double kWheelZoomPerNotch = 0.5;
}  // namespace

MapView::MapView(QWidget* parent)
    : QWidget(parent), controller_(new MapVewController(this)), tiles_(new MapTileLayer(this)) {
  setObjectName(QStringLiteral("MapPane"));
  setMinimumSize(200, 120);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Tab reaches it: the arrows move the map, + and - zoom.
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(tr("Map"));
  connect(controller_, &MapVewController::mapChanged, this, [this] {
    placeCallout();
    update();
  });
  connect(tiles_, &MapTileLayer::updated, this, qOverload<>(&QWidget::update));

  callout_ = new CustomMapCalloutView(this);
  callout_->hide();
  connect(callout_->calloutActionButton(), &QPushButton::clicked, controller_, &MapVewController::annotationSelected);

  clickTimer_.setSingleShot(true);
  connect(&clickTimer_, &QTimer::timeout, this, [this] { click(clickPos_); });

  buildMenu();
  applyTileSource(TileSourceChoice::load(), false);
}

MapView::~MapView() = default;

void MapView::buildMenu() {
  mapMenuButton_ = new QToolButton(this);
  mapMenuButton_->setObjectName(QStringLiteral("mapMenuButton"));
  mapMenuButton_->setText(tr("Map"));
  mapMenuButton_->setPopupMode(QToolButton::InstantPopup);
  mapMenuButton_->setAutoRaise(false);
  customMapMenu_ = new QMenu(mapMenuButton_);
  mapMenuButton_->setMenu(customMapMenu_);

  const struct {
    MapVewController::MenuItem item;
    QString title;
  } items[] = {
      {MapVewController::kTraceItem, tr("Trace Current Location")},
      {MapVewController::kRouteItem, tr("Show Routes")},
      {MapVewController::kFileItem, tr("Show Recordings")},
      {MapVewController::kEventItem, tr("Show Events")},
      {MapVewController::kUserLocationItem, tr("Show Current Location")},
  };
  for (const auto& entry : items) {
    QAction* action = customMapMenu_->addAction(entry.title);
    action->setCheckable(entry.item != MapVewController::kTraceItem);
    const MapVewController::MenuItem item = entry.item;
    connect(action, &QAction::triggered, controller_, [this, item] { controller_->triggerMenuItem(item); });
    itemActions_.append(action);
    if (item == MapVewController::kTraceItem) customMapMenu_->addSeparator();
  }
  speedColourAction_ = customMapMenu_->addAction(tr("Colour Route by Speed"));
  speedColourAction_->setCheckable(true);
  controller_->setColorRouteBySpeed(QSettings().value(QLatin1String(kSpeedColourKey), false).toBool());
  connect(speedColourAction_, &QAction::toggled, this, [this](bool on) {
    QSettings().setValue(QLatin1String(kSpeedColourKey), on);
    controller_->setColorRouteBySpeed(on);
  });
  speedColourAction_->setChecked(controller_->colorRouteBySpeed());
  customMapMenu_->addSeparator();
  QMenu* sources = customMapMenu_->addMenu(tr("Map Tiles"));
  auto* group = new QActionGroup(sources);
  const struct {
    TileSourceChoice::Kind kind;
    QString title;
  } kinds[] = {
      {TileSourceChoice::kBuiltIn, tr("Built-in World Map")},
      {TileSourceChoice::kOnline, tr("OpenStreetMap (Online)")},
      {TileSourceChoice::kMbTiles, tr("MBTiles File…")},
      {TileSourceChoice::kFolder, tr("Tile Folder…")},
  };
  for (const auto& entry : kinds) {
    QAction* action = sources->addAction(entry.title);
    action->setCheckable(true);
    group->addAction(action);
    sourceActions_.append(action);
    const TileSourceChoice::Kind kind = entry.kind;
    connect(action, &QAction::triggered, this, [this, kind] {
      TileSourceChoice choice{kind, {}};
      if (kind == TileSourceChoice::kMbTiles) {
        choice.path = QFileDialog::getOpenFileName(this, tr("Choose an MBTiles File"), {},
                                                   tr("MBTiles files (*.mbtiles);;All files (*)"));
      } else if (kind == TileSourceChoice::kFolder) {
        choice.path = QFileDialog::getExistingDirectory(this, tr("Choose a Folder of Tiles ({z}/{x}/{y}.png)"));
      }
      if ((kind == TileSourceChoice::kMbTiles || kind == TileSourceChoice::kFolder) && choice.path.isEmpty()) {
        updateMenu();  // cancelled: the old choice stays
        return;
      }
      chooseTileSource(choice);
    });
  }
  connect(customMapMenu_, &QMenu::aboutToShow, this, &MapView::updateMenu);
}

void MapView::updateMenu() {
  for (int i = 0; i < itemActions_.size(); ++i) {
    const auto item = MapVewController::MenuItem(i);
    itemActions_[i]->setEnabled(controller_->validateMenuItem(item));
    if (itemActions_[i]->isCheckable()) itemActions_[i]->setChecked(controller_->menuItemState(item));
  }
  const TileSourceChoice current = TileSourceChoice::load();
  const int active = tiles_->source() ? int(current.kind) : int(TileSourceChoice::kBuiltIn);
  for (int i = 0; i < sourceActions_.size(); ++i) sourceActions_[i]->setChecked(i == active);
}

void MapView::chooseTileSource(const TileSourceChoice& choice) { applyTileSource(choice, true); }

void MapView::applyTileSource(const TileSourceChoice& choice, bool tell) {
  QString error;
  std::unique_ptr<TileSource> source = choice.create(&error);
  if (!error.isEmpty()) {
    tiles_->setSource(nullptr);
    TileSourceChoice{TileSourceChoice::kBuiltIn, {}}.save();
    if (tell) QMessageBox::warning(this, tr("Map Tiles"), error + QLatin1Char('\n') + tr("The built-in map is shown."));
    return;
  }
  tiles_->setSource(std::move(source));
  choice.save();
}

void MapView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  renderer_.draw(painter, *controller_, *tiles_, devicePixelRatioF());
}

namespace {
// How far one arrow key moves the map, in points; the zoom steps of + and -.
constexpr int kKeyPanStep = 64;
constexpr double kKeyZoomStep = 1.0;

bool isMapKey(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
      return true;
    default:
      return false;
  }
}
}  // namespace

bool MapView::event(QEvent* event) {
  // The window's playback shortcuts use the arrows; the focused map keeps them.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (isMapKey(key->key()) && (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0) {
      event->accept();
      return true;
    }
  }
  return QWidget::event(event);
}

void MapView::keyPressEvent(QKeyEvent* event) {
  MapViewport& viewport = controller_->viewport();
  switch (event->key()) {
    case Qt::Key_Left:
      viewport.panBy(QPoint(kKeyPanStep, 0));
      break;
    case Qt::Key_Right:
      viewport.panBy(QPoint(-kKeyPanStep, 0));
      break;
    case Qt::Key_Up:
      viewport.panBy(QPoint(0, kKeyPanStep));
      break;
    case Qt::Key_Down:
      viewport.panBy(QPoint(0, -kKeyPanStep));
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      viewport.zoomAbout(QPointF(rect().center()), viewport.zoom() + kKeyZoomStep);
      break;
    case Qt::Key_Minus:
      viewport.zoomAbout(QPointF(rect().center()), viewport.zoom() - kKeyZoomStep);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  controller_->viewportDidChange();
}

void MapView::resizeEvent(QResizeEvent*) {
  controller_->viewport().setSize(size());
  mapMenuButton_->adjustSize();
  mapMenuButton_->move(width() - mapMenuButton_->width() - 8, 8);
  placeCallout();
}

void MapView::placeCallout() {
  const auto selected = controller_->selectedAnnotation();
  if (!selected) {
    callout_->hide();
    return;
  }
  const QRectF marker = renderer_.annotationRect(*selected, controller_->viewport(), devicePixelRatioF());
  const QSize size = callout_->sizeHint();
  QPoint at(int(marker.center().x() - size.width() / 2.0), int(marker.top() - size.height() - 4));
  at.setX(std::clamp(at.x(), 0, std::max(0, width() - size.width())));
  at.setY(std::clamp(at.y(), 0, std::max(0, height() - size.height())));
  callout_->setGeometry(QRect(at, size));
  callout_->show();
  callout_->raise();
}

void MapView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  dragging_ = false;
  pressPos_ = lastPos_ = event->position().toPoint();
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_) return;
  const QPoint pos = event->position().toPoint();
  if (!dragging_ && (pos - pressPos_).manhattanLength() < kDragThreshold) return;
  dragging_ = true;
  setCursor(Qt::ClosedHandCursor);
  controller_->viewport().panBy(pos - lastPos_);
  lastPos_ = pos;
  controller_->viewportDidChange();
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  unsetCursor();
  if (dragging_) return;
  clickPos_ = event->position();
  clickTimer_.start(QApplication::doubleClickInterval());
}

void MapView::click(const QPointF& pos) {
  // Event icons lie on the route, over the recording markers' reach.
  if (const int event = controller_->eventMarkAt(pos, MapRenderer::kEventIconRadius + 2.0); event >= 0) {
    callout_->hide();
    controller_->deselectAnnotation();
    controller_->chooseEventMark(event);
    return;
  }
  if (controller_->selectedEventMark() >= 0) {
    controller_->clearEventMarkSelection();
    return;
  }
  if (const auto marker = renderer_.annotationAt(*controller_, pos, devicePixelRatioF())) {
    const auto info = marker->info.lock();
    callout_->showRecording(info ? info->dcfDateString() : marker->title, annotationThumbnailImage(*marker));
    controller_->selectAnnotation(marker);
    return;
  }
  if (controller_->annotationIsSelected()) {
    controller_->deselectAnnotation();
    return;
  }
  controller_->selectRouteAt(pos, kRouteHitTolerance);
}

void MapView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  clickTimer_.stop();
  pressed_ = false;
  const double step = (event->modifiers() & Qt::ShiftModifier) ? -1.0 : 1.0;
  controller_->viewport().zoomAbout(event->position(), controller_->viewport().zoom() + step);
  controller_->viewportDidChange();
}

void MapView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0.0) return;
  controller_->viewport().zoomAbout(event->position(), controller_->viewport().zoom() + notches * kWheelZoomPerNotch);
  controller_->viewportDidChange();
  event->accept();
}

// The car is not traced while the user works the map, by pointer or by keys.
void MapView::enterEvent(QEnterEvent*) { controller_->setMouseIsOver(true); }

void MapView::leaveEvent(QEvent*) { controller_->setMouseIsOver(hasFocus() && keyFocus_); }

void MapView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  keyFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
  if (keyFocus_) controller_->setMouseIsOver(true);
}

void MapView::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  keyFocus_ = false;
  controller_->setMouseIsOver(underMouse());
}

}  // namespace dashcard
