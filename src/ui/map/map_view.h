#pragma once

#include "core/map/map_renderer.h"
#include "core/map/map_tile_layer.h"
#include "core/map/map_vew_controller.h"
#include "core/map/tile_source_choice.h"

#include <QTimer>
#include <QWidget>

class QMenu;
class QToolButton;

namespace dashcard {

class CustomMapCalloutView;

// The route map pane: the map drawn with QPainter (tiles, routes, markers,
// scale bar, attribution), moved with the pointer (drag, wheel about the
// pointer, double-click), the callout of a selected marker and the map menu.
// The map is also the CustomView that tells the controller whether the
// pointer is over it. The window talks to it through controller().
class MapView : public QWidget {
  Q_OBJECT
 public:
  explicit MapView(QWidget* parent = nullptr);
  ~MapView() override;

  MapVewController* controller() const { return controller_; }
  MapTileLayer* tileLayer() const { return tiles_; }
  QToolButton* mapMenuButton() const { return mapMenuButton_; }
  QMenu* customMapMenu() const { return customMapMenu_; }
  CustomMapCalloutView* calloutView() const { return callout_; }
  // Map › Colour Route by Speed (remembered between runs).
  QAction* speedColourAction() const { return speedColourAction_; }
  static constexpr const char* kSpeedColourKey = "map/colourRouteBySpeed";

  // Applies a tile-source choice and remembers it; a choice that cannot be
  // used shows why and falls back to the built-in map.
  void chooseTileSource(const TileSourceChoice& choice);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void buildMenu();
  void updateMenu();
  void placeCallout();
  void applyTileSource(const TileSourceChoice& choice, bool tell);
  void click(const QPointF& pos);

  MapVewController* controller_;
  MapTileLayer* tiles_;
  MapRenderer renderer_;
  QToolButton* mapMenuButton_ = nullptr;
  QMenu* customMapMenu_ = nullptr;
  CustomMapCalloutView* callout_ = nullptr;
  QList<QAction*> itemActions_;
  QList<QAction*> sourceActions_;
  QAction* speedColourAction_ = nullptr;
  QPoint pressPos_;
  QPoint lastPos_;
  bool pressed_ = false;
  bool keyFocus_ = false;  // the focus came by Tab
  bool dragging_ = false;
  // A click waits for the double-click time, so a double-click only zooms.
  QTimer clickTimer_;
  QPointF clickPos_;
};

}  // namespace dashcard
