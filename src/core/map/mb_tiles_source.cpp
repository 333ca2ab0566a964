#include "core/map/mb_tiles_source.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <algorithm>

namespace dashcard {

namespace {
constexpr qint64 kMaxTileBytes = 4 * 1024 * 1024;

QImage decode(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAllocationLimit(64);
  return reader.read();
}

// Every answer comes later on the main thread, exactly once per request.
void answerLater(TileSource* source, const TileId& tile, const QImage& image) {
  QMetaObject::invokeMethod(
      source,
      [source, tile, image] {
        if (image.isNull()) {
          emit source->tileFailed(tile);
        } else {
          emit source->tileReady(tile, image);
        }
      },
      Qt::QueuedConnection);
}
}  // namespace

MbTilesSource::MbTilesSource(const QString& path, QObject* parent)
    : TileSource(parent), connection_(QStringLiteral("mbtiles-") + QUuid::createUuid().toString(QUuid::Id128)) {
  attribution_ = QFileInfo(path).fileName();
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    error_ = tr("The tile file cannot be read.");
    return;
  }
  if (file.read(16) != QByteArray("SQLite format 3\0", 16)) {
    error_ = tr("The tile file is not an MBTiles file (not an SQLite database).");
    return;
  }
  file.close();
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
    error_ = tr("MBTiles files cannot be read: the SQLite driver of Qt is not installed.");
    return;
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
  db.setDatabaseName(path);
  db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
  if (!db.open()) {
    error_ = tr("The tile file cannot be opened.");
    return;
  }
  QSqlQuery tables(db);
  if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view') AND name='tiles'")) ||
      !tables.next()) {
    error_ = tr("The tile file has no tiles table.");
    return;
  }
  QSqlQuery meta(db);
  if (meta.exec(QStringLiteral("SELECT name, value FROM metadata"))) {
    while (meta.next()) {
      const QString name = meta.value(0).toString();
      const QString value = meta.value(1).toString();
      if (name == QLatin1String("format") &&
          !QStringList{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("webp")}
               .contains(value.toLower())) {
        error_ = tr("The tile file holds vector tiles (%1); only picture tiles can be shown.").arg(value);
        return;
      }
      if (name == QLatin1String("minzoom")) minZoom_ = std::clamp(value.toInt(), 0, 19);
      if (name == QLatin1String("maxzoom") && value.toInt() > 0) maxZoom_ = std::clamp(value.toInt(), 0, 19);
      if (name == QLatin1String("attribution") && !value.isEmpty()) attribution_ = value;
    }
  }
}

MbTilesSource::~MbTilesSource() {
  if (QSqlDatabase::contains(connection_)) {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
  }
}

void MbTilesSource::requestTile(const TileId& tile, qreal) {
  QImage image;
  if (error_.isEmpty() && tile.z >= minZoom_ && tile.z <= maxZoom_) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral(
        "SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
    query.addBindValue(tile.z);
    query.addBindValue(tile.x);
    query.addBindValue((1 << tile.z) - 1 - tile.y);
    if (query.exec() && query.next()) {
      const QByteArray bytes = query.value(0).toByteArray();
      if (bytes.size() <= kMaxTileBytes) image = decode(bytes);
    }
  }
  answerLater(this, tile, image);
}

FileTileSource::FileTileSource(const QString& folderOrTemplate, QObject* parent) : TileSource(parent) {
  QString t = folderOrTemplate;
  if (t.startsWith(QLatin1String("file://"))) t = QUrl::fromPercentEncoding(t.mid(7).toUtf8());
  if (t.contains(QLatin1String("{z}"))) {
    templates_ = {t};
    return;
  }
  // A folder: its tiles are PNG, WebP or JPEG, by their names.
  for (const char* suffix : {"png", "webp", "jpg", "jpeg"}) {
    templates_.append(QDir(t).filePath(QStringLiteral("{z}/{x}/{y}.") + QLatin1String(suffix)));
  }
}

QString FileTileSource::pathForTile(const TileId& tile) const {
  QString first;
  for (QString path : templates_) {
    path.replace(QLatin1String("{z}"), QString::number(tile.z));
    path.replace(QLatin1String("{x}"), QString::number(tile.x));
    path.replace(QLatin1String("{y}"), QString::number(tile.y));
    if (templates_.size() == 1 || QFileInfo::exists(path)) return path;
    if (first.isEmpty()) first = path;
  }
  return first;
}

QString FileTileSource::attribution() const { return tr("Own tiles"); }

void FileTileSource::requestTile(const TileId& tile, qreal) {
  QImage image;
  const QFileInfo info(pathForTile(tile));
  if (info.isFile() && info.size() <= kMaxTileBytes) {
    QImageReader reader(info.filePath());
    reader.setAllocationLimit(64);
    image = reader.read();
  }
  answerLater(this, tile, image);
}

}  // namespace dashcard
