#pragma once

#include <QRectF>

class QPainter;

namespace dashcard {

// Something that draws one layer of a CustomLayerView into a rectangle of
// any paint device: the screen, a QImage in tests, an exported picture.
class LayerDrawer {
 public:
  virtual ~LayerDrawer() = default;
  // `rect` is the layer's own rectangle; drawing stays inside it.
  virtual void drawContents(QPainter* painter, const QRectF& rect) const = 0;
};

}  // namespace dashcard
