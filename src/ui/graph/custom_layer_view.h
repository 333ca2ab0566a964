#pragma once

#include "core/graph/layer_drawer.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <memory>

namespace dashcard {

// A view of three stacked layers, each inset in the view by its own
// margins: a background picture, a drawn layer kept as a pixmap (redrawn only
// when asked or when the size changes) and an accessory layer drawn on every
// paint over it, so that a moving cursor repaints only its own strip.
class CustomLayerView : public QWidget {
  Q_OBJECT
 public:
  explicit CustomLayerView(QWidget* parent = nullptr);

  void setUpLayerWithDrawer(std::shared_ptr<LayerDrawer> drawLayer);
  std::shared_ptr<LayerDrawer> layerDrawer() const { return layerDrawer_; }
  std::shared_ptr<LayerDrawer> accessoryLayerDrawer() const { return accessoryLayerDrawer_; }
  void setAccessoryLayerDrawer(std::shared_ptr<LayerDrawer> drawer);
  void setBackGroundImage(const QImage& image);

  double backGroundLayerInsetDX = 0.0;
  double backGroundLayerInsetDY = 0.0;
  double drawLayerInsetDX = 0.0;
  double drawLayerInsetDY = 0.0;
  double accessoryLayerInsetDX = 0.0;
  double accessoryLayerInsetDY = 0.0;

  QRectF backGroundLayerContentRect() const;
  QRectF drawLayerContentRect() const;
  QRectF accessoryLayerContentRect() const;

  // The layers fit the view again (after a size change); all are redrawn.
  void updateFrame();
  // The drawn layer is drawn anew on the next paint.
  void updateDrawLayer();
  // The accessory layer is repainted; `dirty` limits it to a part of the view.
  void updateAccessoryLayer();
  void updateAccessoryLayer(const QRect& dirty);

  // How many times the drawn layer was drawn (a cache miss), for tests and benchmarks.
  int drawLayerRenderCount() const { return renderCount_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void renderCache();

  std::shared_ptr<LayerDrawer> layerDrawer_;
  std::shared_ptr<LayerDrawer> accessoryLayerDrawer_;
  QImage backGroundImage_;
  QPixmap cache_;
  bool cacheValid_ = false;
  int renderCount_ = 0;
};

}  // namespace dashcard
