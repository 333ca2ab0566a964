#pragma once

#include "core/map/map_viewport.h"
#include "core/map/tile_source.h"
#include "core/map/web_mercator.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QSet>

#include <memory>

namespace dashcard {

// The map's background: the tiles in view from the chosen source, drawn over
// the built-in world map wherever that source has nothing (yet). Decoded
// tiles are kept in a memory cache capped in bytes; tiles out of view are
// never asked for.
class MapTileLayer : public QObject {
  Q_OBJECT
 public:
  // Cap of the decoded-tile cache: about 380 tiles of 256x256, or 95 at 2x.
  static constexpr int kMemoryCacheKiB = 96 * 1024;

  explicit MapTileLayer(QObject* parent = nullptr);
  ~MapTileLayer() override;

  // The source drawn over the built-in map; null for the built-in map alone.
  void setSource(std::unique_ptr<TileSource> source);
  TileSource* source() const { return source_.get(); }
  QString attribution() const;

  // Draws the tiles of `viewport` and asks for those not held yet.
  void draw(QPainter& painter, const MapViewport& viewport, qreal devicePixelRatio);
  // The tile zoom used for a view zoom.
  static int tileZoom(double zoom);
  static QList<TileId> visibleTiles(const MapViewport& viewport);

  int cachedTileCount() const { return cache_.count(); }
  // Tiles asked for and not answered yet (a picture drawn off screen waits for them).
  bool hasPendingTiles() const { return !pending_.isEmpty(); }
  int cacheCostKiB() const { return cache_.totalCost(); }

 signals:
  // A tile arrived: draw again.
  void updated();

 private:
  struct Key {
    int layer;
    TileId tile;
    int dpr;
    bool operator==(const Key& other) const = default;
  };
  friend size_t qHash(const Key& k, size_t seed) { return qHashMulti(seed, k.layer, k.tile, k.dpr); }

  // The cached image of a tile or the part of an ancestor covering it, with
  // the source rectangle to draw from; false when neither is held.
  bool lookup(int layer, const TileId& tile, int dpr, QImage* image, QRectF* part) const;
  void request(int layer, TileSource* source, const TileId& tile, qreal devicePixelRatio);
  void connectSource(int layer, TileSource* source);

  std::unique_ptr<TileSource> builtIn_;
  std::unique_ptr<TileSource> source_;
  QCache<Key, QImage> cache_;
  QSet<Key> pending_;
  QSet<Key> failed_;
};

}  // namespace dashcard
