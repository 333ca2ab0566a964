#pragma once

#include "core/map/tile_source.h"

#include <QString>

#include <memory>

namespace dashcard {

// Which tiles the map shows, remembered in the user's settings:
// "MapTileSource" (builtin, online, mbtiles, folder), "MapTileSourcePath"
// (the MBTiles file or the tile folder / template) and
// "MapTileURLTemplate" (the online server, the standard street map unless
// the user points it elsewhere) with "MapTileAttribution" (its credit).
struct TileSourceChoice {
  enum Kind { kBuiltIn, kOnline, kMbTiles, kFolder };
  Kind kind = kBuiltIn;
  QString path;

  static TileSourceChoice load();
  void save() const;
  static QString urlTemplate();
  // The credit shown for the online tiles; empty means the standard street map's.
  static QString onlineAttribution();
  // Keeps the online server (an empty template means the standard one).
  static void saveOnlineServer(const QString& urlTemplate, const QString& attribution);

  // The source over the built-in map; null for the built-in map alone or
  // when the choice cannot be used (then `error` says why).
  std::unique_ptr<TileSource> create(QString* error) const;
};

}  // namespace dashcard
