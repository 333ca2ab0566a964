#pragma once

#include "core/map/web_mercator.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

namespace dashcard {

// Where the map's 256-pixel tiles come from. A request is answered later,
// on the main thread, by exactly one tileReady or tileFailed for that tile.
class TileSource : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  virtual void requestTile(const TileId& tile, qreal devicePixelRatio) = 0;
  // The tiles now in view; queued requests for others may be dropped (and
  // then answered with tileFailed, so every request still ends once).
  virtual void setVisibleTiles(const QList<TileId>& tiles) { Q_UNUSED(tiles); }
  virtual QString attribution() const = 0;
  virtual int minimumZoom() const { return 0; }
  virtual int maximumZoom() const = 0;
  // Set when the source cannot serve anything (bad file); empty otherwise.
  virtual QString errorString() const { return {}; }

 signals:
  void tileReady(const dashcard::TileId& tile, const QImage& image);
  void tileFailed(const dashcard::TileId& tile);
};

}  // namespace dashcard
