#include "core/map/map_tile_layer.h"

#include "core/map/world_map_source.h"

#include <cmath>

namespace dashcard {

namespace {
constexpr int kBuiltInLayer = 0;
constexpr int kSourceLayer = 1;
}  // namespace

MapTileLayer::MapTileLayer(QObject* parent) : QObject(parent), builtIn_(std::make_unique<WorldMapSource>()) {
  cache_.setMaxCost(kMemoryCacheKiB);
  connectSource(kBuiltInLayer, builtIn_.get());
}

MapTileLayer::~MapTileLayer() = default;

void MapTileLayer::connectSource(int layer, TileSource* source) {
  // Answers are filed under the request's key: a source may give a tile of
  // another pixel size than asked for (256-pixel tiles on a HiDPI screen).
  auto settle = [this, layer](const TileId& tile, const QImage* image) {
    for (auto it = pending_.begin(); it != pending_.end();) {
      if (it->layer != layer || !(it->tile == tile)) {
        ++it;
        continue;
      }
      if (image != nullptr && !image->isNull()) {
        cache_.insert(*it, new QImage(*image), std::max<qsizetype>(1, image->sizeInBytes() / 1024));
      } else {
        failed_.insert(*it);
      }
      it = pending_.erase(it);
    }
    emit updated();
  };
  connect(source, &TileSource::tileReady, this, [this, source, settle, layer](const TileId& tile, const QImage& image) {
    if (layer == kSourceLayer && source != source_.get()) return;
    settle(tile, &image);
  });
  connect(source, &TileSource::tileFailed, this, [this, source, settle, layer](const TileId& tile) {
    if (layer == kSourceLayer && source != source_.get()) return;
    settle(tile, nullptr);
  });
}

void MapTileLayer::setSource(std::unique_ptr<TileSource> source) {
  if (source_) source_->disconnect(this);
  source_ = std::move(source);
  for (auto it = pending_.begin(); it != pending_.end();) {
    it = it->layer == kSourceLayer ? pending_.erase(it) : std::next(it);
  }
  failed_.clear();
  const QList<Key> keys = cache_.keys();
  for (const Key& key : keys) {
    if (key.layer == kSourceLayer) cache_.remove(key);
  }
  if (source_) connectSource(kSourceLayer, source_.get());
  emit updated();
}

QString MapTileLayer::attribution() const { return (source_ ? source_ : builtIn_)->attribution(); }

int MapTileLayer::tileZoom(double zoom) { return std::clamp(int(std::lround(zoom)), 0, int(MapViewport::kMaxZoom)); }

QList<TileId> MapTileLayer::visibleTiles(const MapViewport& viewport) {
  const int z = tileZoom(viewport.zoom());
  const int n = 1 << z;
  const MapRect r = viewport.visibleMapRect();
  const int x0 = int(std::floor(r.x * n));
  const int x1 = int(std::floor(r.maxX() * n));
  const int y0 = std::max(0, int(std::floor(r.y * n)));
  const int y1 = std::min(n - 1, int(std::floor(r.maxY() * n)));
  QList<TileId> tiles;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1 && x - x0 < n; ++x) tiles.append({z, x, y});
  }
  return tiles;
}

bool MapTileLayer::lookup(int layer, const TileId& tile, int dpr, QImage* image, QRectF* part) const {
  TileId t = tile;
  for (int up = 0; up <= tile.z; ++up) {
    if (const QImage* found = cache_.object(Key{layer, t, dpr})) {
      const double n = std::exp2(up);
      const double side = found->width() / n;
      *image = *found;
      *part = QRectF((tile.x - t.x * n) * side, (tile.y - t.y * n) * side, side, side);
      return true;
    }
    t = {t.z - 1, t.x / 2, t.y / 2};
  }
  return false;
}

void MapTileLayer::request(int layer, TileSource* source, const TileId& tile, qreal devicePixelRatio) {
  const Key key{layer, tile, int(std::lround(devicePixelRatio * 100))};
  if (pending_.contains(key) || failed_.contains(key) || cache_.contains(key)) return;
  pending_.insert(key);
  source->requestTile(tile, devicePixelRatio);
}

void MapTileLayer::draw(QPainter& painter, const MapViewport& viewport, qreal devicePixelRatio) {
  const QList<TileId> tiles = visibleTiles(viewport);
  if (tiles.isEmpty()) return;
  const int z = tiles.first().z;
  const int n = 1 << z;
  const double side = viewport.worldPixels() / n;
  const int dpr = int(std::lround(devicePixelRatio * 100));
  const int sourceZoom = source_ ? std::min(z, source_->maximumZoom()) : z;
  QList<TileId> wanted;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  for (const TileId& shown : tiles) {
    const TileId tile{z, WebMercator::wrappedColumn(shown.x, z), shown.y};
    const QPointF corner = viewport.toScreen({double(shown.x) / n, double(shown.y) / n});
    // toScreen picks the nearest world copy; columns outside 0..n-1 need theirs.
    const QPointF origin((double(shown.x) / n - viewport.center().x) * viewport.worldPixels() +
                             viewport.size().width() / 2.0,
                         corner.y());
    const QRectF target(origin, QSizeF(side, side));
    QImage image;
    QRectF part;
    bool drawn = false;
    if (source_) {
      const int up = z - sourceZoom;
      const TileId sourceTile{sourceZoom, tile.x >> up, tile.y >> up};
      wanted.append(sourceTile);
      if (cache_.contains(Key{kSourceLayer, sourceTile, dpr})) {
        drawn = lookup(kSourceLayer, tile, dpr, &image, &part);
      } else {
        request(kSourceLayer, source_.get(), sourceTile, devicePixelRatio);
      }
    }
    if (!drawn) {
      const Key builtInKey{kBuiltInLayer, tile, dpr};
      if (!cache_.contains(builtInKey)) request(kBuiltInLayer, builtIn_.get(), tile, devicePixelRatio);
      drawn = lookup(kBuiltInLayer, tile, dpr, &image, &part);
      if (!drawn) painter.fillRect(target, QColor::fromRgba(0xffaad3df));
    }
    if (drawn) painter.drawImage(target, image, part);
  }
  painter.restore();
  if (source_) {
    // A failure out of view is forgotten, so the tile is asked for again
    // when it comes back (a dropped request also ends as a failure).
    for (auto it = failed_.begin(); it != failed_.end();) {
      it = it->layer == kSourceLayer && !wanted.contains(it->tile) ? failed_.erase(it) : std::next(it);
    }
    source_->setVisibleTiles(wanted);
  }
}

}  // namespace dashcard
