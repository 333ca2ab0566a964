#pragma once

#include "core/map/tile_source.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QString>

#include <functional>

class QNetworkDiskCache;
class QNetworkReply;

namespace dashcard {

// Street-map tiles from a tile server, by a URL template with {z}, {x} and
// {y}. Polite to the server: an honest User-Agent, the HTTP caching headers
// honoured through a disk cache (a tile without expiry is kept 7 days), at
// most two requests at a time and only tiles in view. No network means every
// tile fails at once, quietly.
class OnlineTileSource : public TileSource {
  Q_OBJECT
 public:
  static constexpr int kMaxRequestsInFlight = 2;
  static constexpr qint64 kDiskCacheBytes = 256LL * 1024 * 1024;
  static constexpr int kMinimumKeepDays = 7;

  // An empty `attribution` is the standard street map's.
  OnlineTileSource(const QString& urlTemplate, const QString& cacheDirectory, const QString& attribution = {},
                   QObject* parent = nullptr);
  ~OnlineTileSource() override;

  // The standard street map and where its tiles are cached.
  static QString defaultUrlTemplate();
  static QString defaultCacheDirectory();
  static QString userAgent();
  static QUrl urlForTile(const QString& urlTemplate, const TileId& tile);
  // Checks a tile address before it is kept: it must hold {z}, {x} and {y},
  // be http or https, and answer tile 0/0/0 with a picture. `done` is called
  // once, later, in `context`'s thread: with an empty text when a tile came,
  // else with the reason. Nothing is cached.
  static void checkTemplate(const QString& urlTemplate, QObject* context,
                            const std::function<void(const QString& error)>& done);

  void requestTile(const TileId& tile, qreal devicePixelRatio) override;
  void setVisibleTiles(const QList<TileId>& tiles) override;
  QString attribution() const override;
  int maximumZoom() const override { return 19; }

  QUrl urlForTile(const TileId& tile) const { return urlForTile(urlTemplate_, tile); }
  int requestsInFlight() const { return int(inFlight_.size()); }

 private:
  // Answers from the disk cache when the stored copy is still fresh.
  bool answerFromCache(const TileId& tile, const QUrl& url);
  void pump();
  void finished(QNetworkReply* reply, const TileId& tile);
  void answer(const TileId& tile, const QImage& image);

  QString urlTemplate_;
  QString attribution_;
  QNetworkAccessManager network_;
  QNetworkDiskCache* cache_ = nullptr;
  QList<TileId> queue_;
  QList<QNetworkReply*> inFlight_;
};

}  // namespace dashcard
