#include "core/map/online_tile_source.h"

#include "core/common/version.h"

#include <QDateTime>
#include <QDir>
#include <QIODevice>
#include <QImageReader>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

#include <memory>

namespace dashcard {

namespace {
constexpr int kTransferTimeoutMs = 15000;
constexpr int kMaxTileBytes = 4 * 1024 * 1024;

QImage decodeTile(QIODevice* device) {
  QImageReader reader(device);
  reader.setAllocationLimit(64);
  return reader.read();
}
}  // namespace

OnlineTileSource::OnlineTileSource(const QString& urlTemplate, const QString& cacheDirectory, QObject* parent)
    : TileSource(parent), urlTemplate_(urlTemplate), cache_(new QNetworkDiskCache(this)) {
  QDir().mkpath(cacheDirectory);
  cache_->setCacheDirectory(cacheDirectory);
  cache_->setMaximumCacheSize(kDiskCacheBytes);
  network_.setCache(cache_);
}

OnlineTileSource::~OnlineTileSource() {
  const QList<QNetworkReply*> replies = inFlight_;
  inFlight_.clear();
  for (QNetworkReply* reply : replies) {
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
}

QString OnlineTileSource::defaultUrlTemplate() { return QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png"); }

QString OnlineTileSource::defaultCacheDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/dashcard/tiles");
}

QString OnlineTileSource::userAgent() {
  return QStringLiteral("%1/%2").arg(QLatin1String(kApplicationName), QLatin1String(kVersion));
}

QString OnlineTileSource::attribution() const { return QStringLiteral("© OpenStreetMap contributors"); }

QUrl OnlineTileSource::urlForTile(const TileId& tile) const {
  QString url = urlTemplate_;
  url.replace(QLatin1String("{z}"), QString::number(tile.z));
  url.replace(QLatin1String("{x}"), QString::number(tile.x));
  url.replace(QLatin1String("{y}"), QString::number(tile.y));
  return QUrl(url);
}

bool OnlineTileSource::answerFromCache(const TileId& tile, const QUrl& url) {
  const QNetworkCacheMetaData meta = cache_->metaData(url);
  if (!meta.isValid() || !meta.expirationDate().isValid() ||
      meta.expirationDate() <= QDateTime::currentDateTimeUtc()) {
    return false;
  }
  std::unique_ptr<QIODevice> data(cache_->data(url));
  if (!data) return false;
  const QImage image = decodeTile(data.get());
  if (image.isNull()) return false;
  answer(tile, image);
  return true;
}

void OnlineTileSource::answer(const TileId& tile, const QImage& image) {
  // Always later, never inside the request call.
  QMetaObject::invokeMethod(
      this,
      [this, tile, image] {
        if (image.isNull()) {
          emit tileFailed(tile);
        } else {
          emit tileReady(tile, image);
        }
      },
      Qt::QueuedConnection);
}

void OnlineTileSource::requestTile(const TileId& tile, qreal) {
  const QUrl url = urlForTile(tile);
  if (!url.isValid() || url.scheme().isEmpty()) {
    answer(tile, {});
    return;
  }
  if (answerFromCache(tile, url)) return;
  if (!queue_.contains(tile)) queue_.append(tile);
  pump();
}

void OnlineTileSource::setVisibleTiles(const QList<TileId>& tiles) {
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (tiles.contains(*it)) {
      ++it;
      continue;
    }
    answer(*it, {});
    it = queue_.erase(it);
  }
}

void OnlineTileSource::pump() {
  while (inFlight_.size() < kMaxRequestsInFlight && !queue_.isEmpty()) {
    const TileId tile = queue_.takeFirst();
    QNetworkRequest request(urlForTile(tile));
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = network_.get(request);
    reply->setReadBufferSize(kMaxTileBytes);
    inFlight_.append(reply);
    connect(reply, &QNetworkReply::finished, this, [this, reply, tile] { finished(reply, tile); });
  }
}

void OnlineTileSource::finished(QNetworkReply* reply, const TileId& tile) {
  inFlight_.removeAll(reply);
  reply->deleteLater();
  QImage image;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply->error() == QNetworkReply::NoError && (status == 200 || status == 0)) {
    image = decodeTile(reply);
    // A tile served without an expiry is kept a week before asking again.
    QNetworkCacheMetaData meta = cache_->metaData(reply->url());
    if (!image.isNull() && meta.isValid() && !meta.expirationDate().isValid()) {
      meta.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(kMinimumKeepDays));
      cache_->updateMetaData(meta);
    }
  }
  if (image.isNull()) {
    emit tileFailed(tile);
  } else {
    emit tileReady(tile, image);
  }
  pump();
}

}  // namespace dashcard
