#pragma once

#include "core/map/map_rect.h"
#include "core/map/web_mercator.h"

#include <QByteArray>
#include <QImage>
#include <QList>

#include <memory>
#include <vector>

namespace dashcard {

// The built-in world map: land and country borders of Natural Earth at two
// scales, projected once when loaded, drawn into tiles on demand.
class WorldMapData {
 public:
  struct Line {
    std::vector<MapPoint> points;
    MapRect bounds;
  };
  struct Level {
    int firstZoom = 0;
    std::vector<Line> land;
    std::vector<Line> borders;
  };

  // Reads the compact resource; false (and no levels) for bad data.
  bool load(const QByteArray& data);
  const std::vector<Level>& levels() const { return levels_; }
  // The level used at a zoom.
  const Level* levelForZoom(int zoom) const;

  // A tile drawn with QPainter: sea, land, borders. Thread-safe.
  QImage renderTile(const TileId& tile, qreal devicePixelRatio = 1.0) const;

  // The viewer's own copy, read from the resource once.
  static std::shared_ptr<const WorldMapData> builtIn();

  static constexpr QRgb kSeaColor = 0xffaad3df;
  static constexpr QRgb kLandColor = 0xfff2efe9;
  static constexpr QRgb kBorderColor = 0xffb49fb8;

 private:
  std::vector<Level> levels_;
};

}  // namespace dashcard
