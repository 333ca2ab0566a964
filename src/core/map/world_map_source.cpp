#include "core/map/world_map_source.h"

#include "core/common/main_thread.h"

#include <QPointer>

namespace dashcard {

WorldMapSource::WorldMapSource(QObject* parent, std::shared_ptr<const WorldMapData> data)
    : TileSource(parent), data_(std::move(data)) {}

void WorldMapSource::requestTile(const TileId& tile, qreal devicePixelRatio) {
  QPointer<WorldMapSource> self(this);
  auto data = data_;
  startBackgroundJob([self, data, tile, devicePixelRatio] {
    QImage image = (data ? data : WorldMapData::builtIn())->renderTile(tile, devicePixelRatio);
    runOnMainThreadAsync([self, tile, image = std::move(image)] {
      if (self) emit self->tileReady(tile, image);
    });
  });
}

QString WorldMapSource::attribution() const { return tr("Natural Earth"); }

}  // namespace dashcard
