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

OnlineTileSource::OnlineTileSource(const QString& urlTemplate, const QString& cacheDirectory,
                                   const QString& attribution, QObject* parent)
    : TileSource(parent),
      urlTemplate_(urlTemplate),
      attribution_(attribution.isEmpty() ? QStringLiteral("© OpenStreetMap contributors") : attribution),
      cache_(new QNetworkDiskCache(this)) {
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

QString OnlineTileSource::attribution() const { return attribution_; }

QUrl OnlineTileSource::urlForTile(const QString& urlTemplate, const TileId& tile) {
  QString url = urlTemplate;
  url.replace(QLatin1String("{z}"), QString::number(tile.z));
  url.replace(QLatin1String("{x}"), QString::number(tile.x));
  url.replace(QLatin1String("{y}"), QString::number(tile.y));
  return QUrl(url);
}

void OnlineTileSource::checkTemplate(const QString& urlTemplate, QObject* context,
                                     const std::function<void(const QString& error)>& done) {
  const auto refuse = [context, done](const QString& error) {
    QMetaObject::invokeMethod(context, [done, error] { done(error); }, Qt::QueuedConnection);
  };
  for (const QLatin1String field : {QLatin1String("{z}"), QLatin1String("{x}"), QLatin1String("{y}")}) {
    if (!urlTemplate.contains(field)) {
      refuse(tr("The tile address must hold {z}, {x} and {y}."));
      return;
    }
  }
  const QUrl url = urlForTile(urlTemplate, {0, 0, 0});
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
      url.host().isEmpty()) {
    refuse(tr("The tile address must start with http:// or https:// and name a server."));
    return;
  }
  auto* network = new QNetworkAccessManager(context);
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
  request.setTransferTimeout(kTransferTimeoutMs);
  QNetworkReply* reply = network->get(request);
  QObject::connect(reply, &QNetworkReply::finished, context, [network, reply, done] {
    QString error;
    if (reply->error() != QNetworkReply::NoError) {
      error = tr("The server gave no tile: %1").arg(reply->errorString());
    } else if (reply->bytesAvailable() > kMaxTileBytes || decodeTile(reply).isNull()) {
      error = tr("The server's answer is not a map tile picture.");
    }
    network->deleteLater();
    done(error);
  });
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
