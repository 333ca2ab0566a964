#pragma once

#include "core/map/tile_source.h"

#include <QString>
#include <QStringList>

namespace dashcard {

// The user's own raster tiles in an MBTiles file (SQLite; rows numbered
// from the south, TMS style). A file that is not SQLite, holds vector tiles
// or lacks the tiles table is refused with errorString() set; every request
// then fails, so the built-in map shows.
class MbTilesSource : public TileSource {
  Q_OBJECT
 public:
  explicit MbTilesSource(const QString& path, QObject* parent = nullptr);
  ~MbTilesSource() override;

  void requestTile(const TileId& tile, qreal devicePixelRatio) override;
  QString attribution() const override { return attribution_; }
  int minimumZoom() const override { return minZoom_; }
  int maximumZoom() const override { return maxZoom_; }
  QString errorString() const override { return error_; }

 private:
  QString connection_;
  QString error_;
  QString attribution_;
  int minZoom_ = 0;
  int maxZoom_ = 19;
};

// The user's own tiles as files: a folder holding {z}/{x}/{y}.png (or
// .webp, .jpg), or a template with {z}, {x} and {y} (a plain path or a
// file:// URL).
class FileTileSource : public TileSource {
  Q_OBJECT
 public:
  explicit FileTileSource(const QString& folderOrTemplate, QObject* parent = nullptr);

  void requestTile(const TileId& tile, qreal devicePixelRatio) override;
  QString attribution() const override;
  int maximumZoom() const override { return 19; }
  QString pathForTile(const TileId& tile) const;

 private:
  QStringList templates_;
};

}  // namespace dashcard
