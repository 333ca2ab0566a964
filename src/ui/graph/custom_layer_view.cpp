#include "ui/graph/custom_layer_view.h"

#include "core/common/color_palette.h"

#include <QPaintEvent>
#include <QPainter>

namespace dashcard {

CustomLayerView::CustomLayerView(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted from the cache: nothing to clear first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CustomLayerView::setUpLayerWithDrawer(std::shared_ptr<LayerDrawer> drawLayer) {
  layerDrawer_ = std::move(drawLayer);
  updateFrame();
}

void CustomLayerView::setAccessoryLayerDrawer(std::shared_ptr<LayerDrawer> drawer) {
  accessoryLayerDrawer_ = std::move(drawer);
  updateAccessoryLayer();
}

void CustomLayerView::setBackGroundImage(const QImage& image) {
  backGroundImage_ = image;
  updateDrawLayer();
}

QRectF CustomLayerView::backGroundLayerContentRect() const {
  return QRectF(rect()).adjusted(backGroundLayerInsetDX, backGroundLayerInsetDY, -backGroundLayerInsetDX,
                                 -backGroundLayerInsetDY);
}
QRectF CustomLayerView::drawLayerContentRect() const {
  return QRectF(rect()).adjusted(drawLayerInsetDX, drawLayerInsetDY, -drawLayerInsetDX, -drawLayerInsetDY);
}
QRectF CustomLayerView::accessoryLayerContentRect() const {
  return QRectF(rect()).adjusted(accessoryLayerInsetDX, accessoryLayerInsetDY, -accessoryLayerInsetDX,
                                 -accessoryLayerInsetDY);
}

void CustomLayerView::updateFrame() {
  cacheValid_ = false;
  update();
}

void CustomLayerView::updateDrawLayer() {
  cacheValid_ = false;
  update();
}

void CustomLayerView::updateAccessoryLayer() { update(); }
void CustomLayerView::updateAccessoryLayer(const QRect& dirty) { update(dirty.intersected(rect())); }

void CustomLayerView::resizeEvent(QResizeEvent*) { updateFrame(); }

void CustomLayerView::renderCache() {
  const qreal ratio = devicePixelRatioF();
  cache_ = QPixmap(size() * ratio);
  cache_.setDevicePixelRatio(ratio);
  cache_.fill(ColorPalette::graphBackGroundColor());
  QPainter painter(&cache_);
  if (!backGroundImage_.isNull()) painter.drawImage(backGroundLayerContentRect(), backGroundImage_);
  if (layerDrawer_) layerDrawer_->drawContents(&painter, drawLayerContentRect());
  cacheValid_ = true;
  ++renderCount_;
}

void CustomLayerView::paintEvent(QPaintEvent* event) {
  if (!cacheValid_ || cache_.deviceIndependentSize().toSize() != size()) renderCache();
  QPainter painter(this);
  const QRect dirty = event->rect();
  const qreal ratio = cache_.devicePixelRatio();
  painter.drawPixmap(dirty, cache_,
                     QRectF(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio, dirty.height() * ratio));
  if (accessoryLayerDrawer_) accessoryLayerDrawer_->drawContents(&painter, accessoryLayerContentRect());
}

}  // namespace dashcard
