#include "core/map/map_tile_layer.h"
#include "core/map/mb_tiles_source.h"
#include "core/map/online_tile_source.h"
#include "core/map/world_map_data.h"
#include "core/map/world_map_source.h"

#include <QBuffer>
#include <QDir>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

QByteArray png(QColor color) {
  QImage image(256, 256, QImage::Format_RGB32);
  image.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

// Collects the answers of a source, one per request.
struct Answers {
  explicit Answers(TileSource* source) {
    QObject::connect(source, &TileSource::tileReady, source,
                     [this](const TileId& t, const QImage& image) { ready.insert(t, image); });
    QObject::connect(source, &TileSource::tileFailed, source, [this](const TileId& t) { failed.append(t); });
  }
  int count() const { return int(ready.size() + failed.size()); }
  QHash<TileId, QImage> ready;
  QList<TileId> failed;
};

QPoint pixelOf(const MapCoordinate& c) {
  const MapPoint p = WebMercator::project(c);
  return {int(p.x * 256), int(p.y * 256)};
}

TEST(WorldMapTest, TileZeroHasLandAndSeaWhereTheyBelong) {
  const auto world = WorldMapData::builtIn();
  ASSERT_EQ(world->levels().size(), 2U);
  const QImage tile = world->renderTile({0, 0, 0});
  ASSERT_EQ(tile.size(), QSize(256, 256));
  struct Case {
    const char* place;
    MapCoordinate c;
    QRgb color;
  };
  const Case cases[] = {
      {"Australia", {-25.0, 134.0}, WorldMapData::kLandColor},   {"Siberia", {62.0, 100.0}, WorldMapData::kLandColor},
      {"Brazil", {-10.0, -55.0}, WorldMapData::kLandColor}, {"mid Atlantic", {30.0, -40.0}, WorldMapData::kSeaColor},
      {"Pacific", {0.0, -150.0}, WorldMapData::kSeaColor},  {"Indian Ocean", {-20.0, 75.0}, WorldMapData::kSeaColor},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(tile.pixel(pixelOf(k.c)), k.color) << k.place;
  }
  // A HiDPI tile has twice the pixels and the same map.
  const QImage sharp = world->renderTile({0, 0, 0}, 2.0);
  EXPECT_EQ(sharp.size(), QSize(512, 512));
  EXPECT_EQ(sharp.pixel(pixelOf({-25.0, 134.0}) * 2), WorldMapData::kLandColor);

  // Junk in place of the resource: refused, nothing drawn from it.
  WorldMapData junk;
  for (const QByteArray& bytes : {QByteArray(), QByteArray("DCWM\x01\x01\x00\x02\x00\xff\xff\xff\xff", 13),
                                  QByteArray("XXXX\x01")}) {
    EXPECT_FALSE(junk.load(bytes));
  }
}

class TileFilesTest : public ::testing::Test {
 protected:
  QString makeMbTiles(const QString& name, const QString& format, bool withTiles) {
    const QString path = dir.filePath(name);
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
      db.setDatabaseName(path);
      EXPECT_TRUE(db.open());
      QSqlQuery q(db);
      q.exec(QStringLiteral("CREATE TABLE metadata (name TEXT, value TEXT)"));
      q.exec(QStringLiteral("INSERT INTO metadata VALUES ('format', '%1'), ('maxzoom', '3')").arg(format));
      if (withTiles) {
        q.exec(QStringLiteral(
            "CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_data BLOB)"));
        q.prepare(QStringLiteral("INSERT INTO tiles VALUES (1, 1, 1, ?)"));  // TMS row 1 = row 0 from the top
        q.addBindValue(png(Qt::red));
        EXPECT_TRUE(q.exec());
      }
      db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(TileFilesTest, MbTilesFlipsRowsAndRefusesWhatItCannotShow) {
  MbTilesSource source(makeMbTiles(QStringLiteral("ok.mbtiles"), QStringLiteral("png"), true));
  ASSERT_TRUE(source.errorString().isEmpty()) << source.errorString().toStdString();
  EXPECT_EQ(source.maximumZoom(), 3);
  Answers answers(&source);
  source.requestTile({1, 1, 0}, 1.0);
  source.requestTile({1, 1, 1}, 1.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count() == 2; }));
  EXPECT_EQ(answers.ready.value({1, 1, 0}).pixel(5, 5), QColor(Qt::red).rgb());
  EXPECT_EQ(answers.failed, QList<TileId>{(TileId{1, 1, 1})});

  QFile junk(dir.filePath(QStringLiteral("junk.mbtiles")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a database at all");
  junk.close();
  struct Case {
    QString path;
    const char* says;
  };
  const Case cases[] = {
      {junk.fileName(), "not an SQLite"},
      {makeMbTiles(QStringLiteral("vector.mbtiles"), QStringLiteral("pbf"), true), "vector"},
      {makeMbTiles(QStringLiteral("empty.mbtiles"), QStringLiteral("png"), false), "no tiles table"},
      {dir.filePath(QStringLiteral("missing.mbtiles")), "cannot be read"},
  };
  for (const Case& k : cases) {
    MbTilesSource bad(k.path);
    EXPECT_TRUE(bad.errorString().contains(QLatin1String(k.says))) << bad.errorString().toStdString();
    Answers none(&bad);
    bad.requestTile({0, 0, 0}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return none.failed.size() == 1; }));
  }
}

// A folder takes PNG and WebP tiles alike; a template only what it names.
TEST_F(TileFilesTest, TileFolderAndFileTemplate) {
  QDir(dir.path()).mkpath(QStringLiteral("tiles/2/3"));
  QFile tile(dir.filePath(QStringLiteral("tiles/2/3/1.png")));
  ASSERT_TRUE(tile.open(QIODevice::WriteOnly));
  tile.write(png(Qt::green));
  tile.close();
  QImage webp(256, 256, QImage::Format_RGB32);
  webp.fill(Qt::white);
  ASSERT_TRUE(webp.save(dir.filePath(QStringLiteral("tiles/2/3/2.webp")), "WEBP"))
      << "no WebP image plugin (scripts/install-deps.sh installs qt6-image-formats-plugins)";
  const struct {
    QString where;
    qsizetype ready;
  } cases[] = {{dir.filePath(QStringLiteral("tiles")), 2},
               {QStringLiteral("file://") + dir.filePath(QStringLiteral("tiles/{z}/{x}/{y}.png")), 1}};
  for (const auto& c : cases) {
    FileTileSource source(c.where);
    Answers answers(&source);
    for (int y : {1, 2, 3}) source.requestTile({2, 3, y}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count() == 3; }));
    EXPECT_EQ(answers.ready.value({2, 3, 1}).pixel(0, 0), QColor(Qt::green).rgb()) << c.where.toStdString();
    EXPECT_EQ(answers.ready.size(), c.ready) << c.where.toStdString();
  }
}

TEST_F(TileFilesTest, LayerShowsTheBuiltInMapWhereTheSourceHasNothing) {
  MapTileLayer layer;
  layer.setSource(std::make_unique<FileTileSource>(dir.filePath(QStringLiteral("nothing"))));
  MapViewport view;
  view.setSize({256, 256});
  view.setZoom(0);
  QImage frame(256, 256, QImage::Format_ARGB32_Premultiplied);
  const QPoint australia = pixelOf({-25.0, 134.0});
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QPainter painter(&frame);
        layer.draw(painter, view, 1.0);
        return frame.pixel(australia) == WorldMapData::kLandColor;
      },
      20000));
}

// A tile server on 127.0.0.1: answers after a short while so requests can
// overlap, remembers what it saw, and can be told to fail.
class TileServer : public QObject {
 public:
  TileServer() {
    server.listen(QHostAddress::LocalHost);
    connect(&server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
      }
    });
  }
  QString urlTemplate(const QString& mode) const {
    return QStringLiteral("http://127.0.0.1:%1/%2/{z}/{x}/{y}.png").arg(server.serverPort()).arg(mode);
  }

  QTcpServer server;
  QStringList paths;
  QStringList userAgents;
  int open = 0;
  int mostOpen = 0;

 private:
  void read(QTcpSocket* socket) {
    QByteArray& buffer = buffers[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) return;
    const QByteArray head = buffer.left(end);
    buffer.remove(0, end + 4);
    const QString path = QString::fromLatin1(head.split(' ').value(1));
    paths << path;
    for (const QByteArray& line : head.split('\n')) {
      if (line.toLower().startsWith("user-agent:")) userAgents << QString::fromLatin1(line.mid(11).trimmed());
    }
    mostOpen = std::max(mostOpen, ++open);
    QTimer::singleShot(30, socket, [this, socket, path] {
      --open;
      if (path.startsWith(QLatin1String("/drop/"))) {
        socket->abort();
        return;
      }
      const bool missing = path.startsWith(QLatin1String("/404/"));
      const bool text = path.startsWith(QLatin1String("/text/"));
      const QByteArray body = missing || text ? QByteArray("no such tile") : png(Qt::blue);
      socket->write((missing ? "HTTP/1.1 404 Not Found\r\n" : "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n") +
                    QByteArray("Content-Length: ") + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    });
  }
  QHash<QTcpSocket*, QByteArray> buffers;
};

TEST(OnlineTileSourceTest, PoliteToTheServerAndCachedOnDisk) {
  TileServer server;
  QTemporaryDir cache;
  {
    OnlineTileSource source(server.urlTemplate(QStringLiteral("ok")), cache.path());
    Answers answers(&source);
    QList<TileId> tiles;
    for (int x = 0; x < 4; ++x) {
      for (int y = 0; y < 2; ++y) tiles.append({2, x, y});
    }
    source.setVisibleTiles(tiles);
    for (const TileId& t : tiles) source.requestTile(t, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count() == 8; }, 20000));
    EXPECT_EQ(answers.ready.size(), 8);
    EXPECT_EQ(server.mostOpen, OnlineTileSource::kMaxRequestsInFlight);
    ASSERT_EQ(server.userAgents.size(), 8);
    EXPECT_TRUE(server.userAgents.first().startsWith(QLatin1String("Dashcard/")))
        << server.userAgents.first().toStdString();
  }
  // A new session: the tile comes from the disk cache, the server sees nothing.
  OnlineTileSource again(server.urlTemplate(QStringLiteral("ok")), cache.path());
  Answers answers(&again);
  again.requestTile({2, 1, 1}, 1.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count() == 1; }));
  EXPECT_EQ(answers.ready.value({2, 1, 1}).pixel(1, 1), QColor(Qt::blue).rgb());
  EXPECT_EQ(server.paths.size(), 8);
}

TEST(OnlineTileSourceTest, FailuresAndTilesOutOfViewEndAsFailures) {
  TileServer server;
  QTemporaryDir cache;
  for (const char* mode : {"404", "drop"}) {
    OnlineTileSource source(server.urlTemplate(QLatin1String(mode)), cache.path());
    Answers answers(&source);
    source.requestTile({1, 0, 0}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.failed.size() == 1; }, 20000));
    EXPECT_TRUE(answers.ready.isEmpty()) << mode;
  }
  // No server at all: a quick failure, no waiting.
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost);
  const quint16 port = closed.serverPort();
  closed.close();
  OnlineTileSource offline(QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(port), cache.path());
  Answers none(&offline);
  for (int x = 0; x < 4; ++x) offline.requestTile({2, x, 0}, 1.0);
  offline.setVisibleTiles({{2, 0, 0}});  // the queued ones leave view
  ASSERT_TRUE(QTest::qWaitFor([&] { return none.failed.size() == 4; }));
}

// Preferences keep an online tile address only after it answered a tile.
TEST(OnlineTileSourceTest, ATemplateIsCheckedAgainstTheServerBeforeItIsKept) {
  TileServer server;
  const struct {
    QString urlTemplate;
    QString error;
  } cases[] = {
      {server.urlTemplate(QStringLiteral("ok")), {}},
      {server.urlTemplate(QStringLiteral("404")), QStringLiteral("The server gave no tile")},
      {server.urlTemplate(QStringLiteral("text")), QStringLiteral("not a map tile picture")},
      {server.urlTemplate(QStringLiteral("ok")).remove(QStringLiteral("{y}")), QStringLiteral("{z}, {x} and {y}")},
      {QStringLiteral("ftp://127.0.0.1/{z}/{x}/{y}.png"), QStringLiteral("http://")},
  };
  for (const auto& c : cases) {
    QObject context;
    QStringList answers;
    OnlineTileSource::checkTemplate(c.urlTemplate, &context, [&](const QString& error) { answers << error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 20000)) << qPrintable(c.urlTemplate);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers.first().isEmpty(), c.error.isEmpty()) << qPrintable(answers.first());
    EXPECT_TRUE(answers.first().contains(c.error)) << qPrintable(answers.first());
  }
  EXPECT_TRUE(server.paths.contains(QStringLiteral("/ok/0/0/0.png"))) << qPrintable(server.paths.join(' '));
}

}  // namespace
}  // namespace dashcard
