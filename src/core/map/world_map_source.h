#pragma once

#include "core/map/tile_source.h"
#include "core/map/world_map_data.h"

#include <memory>

namespace dashcard {

// The built-in world map: tiles drawn on the shared thread pool from the
// viewer's own Natural Earth data; works with no network and no files.
class WorldMapSource : public TileSource {
  Q_OBJECT
 public:
  // Without `data`, the viewer's own map, read on the first tile's thread
  // rather than while the window opens.
  explicit WorldMapSource(QObject* parent = nullptr, std::shared_ptr<const WorldMapData> data = nullptr);

  void requestTile(const TileId& tile, qreal devicePixelRatio) override;
  QString attribution() const override;
  // Past its detail the map is drawn larger (over-zoomed).
  int maximumZoom() const override { return 19; }

 private:
  std::shared_ptr<const WorldMapData> data_;
};

}  // namespace dashcard
