#include "core/map/world_map_source.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

namespace dashcard {

WorldMapSource::WorldMapSource(QObject* parent, std::shared_ptr<const WorldMapData> data)
    : TileSource(parent), data_(std::move(data)) {}

void WorldMapSource::requestTile(const TileId& tile, qreal devicePixelRatio) {
  QPointer<WorldMapSource> self(this);
  auto data = data_;
  // Qt's pool, not the job pool: the application waits for it when it is
  // destroyed, and painting needs the GUI application alive (a tile still
  // drawn on the job pool at exit crashed in QPainter).
  QThreadPool::globalInstance()->start([self, data, tile, devicePixelRatio] {
    QImage image = (data ? data : WorldMapData::builtIn())->renderTile(tile, devicePixelRatio);
    // At exit the application may be gone before a late tile: then no answer.
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(
          app,
          [self, tile, image = std::move(image)] {
            if (self) emit self->tileReady(tile, image);
          },
          Qt::QueuedConnection);
    }
  });
}

QString WorldMapSource::attribution() const { return tr("Natural Earth"); }

}  // namespace dashcard
