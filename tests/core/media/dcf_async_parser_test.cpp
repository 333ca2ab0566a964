#include "core/media/dcf_async_parser.h"
#include "core/catalogue/card_scanner.h"
#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/common/color_palette.h"
#include "core/media/video_frame_grabber.h"
#include "core/telemetry/nmea_data.h"
#include "support/drive_script.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <future>

#include <sys/stat.h>

namespace dashcard {
namespace {

QString stamp(const QDateTime& utc) { return utc.toString(QStringLiteral("yyyyMMddHHmmss")); }

// A card of recordings with telemetry only (empty videos): each entry is a
// clip start and whether it has GPS fixes.
class RouteCard {
 public:
  struct Clip {
    QDateTime start;
    int seconds;
    bool gps;
  };
  explicit RouteCard(const QList<Clip>& clips) {
    test::writeFileAt(dir.path(), QStringLiteral("NORMAL/.keep"));
    std::uint64_t seed = 1;
    for (const Clip& clip : clips) {
      const QString base = QStringLiteral("20240101000000_%1_N").arg(stamp(clip.start));
      test::writeFileAt(dir.path(), QStringLiteral("NORMAL/F_") + base + QStringLiteral(".MP4"));
      const QByteArray telemetry =
          SampleCardMaker::driveTelemetry(seed++, clip.start, clip.seconds, clip.gps ? 0 : clip.seconds);
      test::writeFileAt(dir.path(), QStringLiteral("NMEA/NORMAL/N_") + base + QStringLiteral(".NMEA"), telemetry);
    }
    infos = CardScanner().scan(dir.path()).recordings;
  }
  QTemporaryDir dir;
  DCFInfoList infos;
};

MapCoordinate firstFix(const DCFInfoPtr& info) {
  info->nmea()->setup();
  const auto fixes = info->nmea()->varidLocations();
  return fixes.empty() ? MapCoordinate{} : MapCoordinate{fixes.begin()->latitude, fixes.begin()->longitude};
}

TEST(RoutePolyline, AJumpIsLeftOutAndAMadeUpSpeedIsUnknownOnTheMapOnly) {
  QTemporaryDir dir;
  const QDateTime start(QDate(2024, 5, 17), QTime(8, 0), Qt::UTC);
  test::DriveScript drive(start, 15.0);
  drive.cruise(10);
  drive.add(1, {0.0, 0.0, true, 3000.0});  // 3 km north for one second
  drive.cruise(10);
  drive.add(1, {0.0, 0.0, true, 0.0, 30.0});  // 45 m/s for one second
  drive.cruise(10);
  const QString base = QStringLiteral("20240517080000_%1_N").arg(stamp(start));
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/F_") + base + QStringLiteral(".MP4")));
  ASSERT_TRUE(
      test::writeFileAt(dir.path(), QStringLiteral("NMEA/NORMAL/N_") + base + QStringLiteral(".NMEA"), drive.text()));
  const DCFInfoList infos = CardScanner().scan(dir.path()).recordings;
  ASSERT_EQ(infos.size(), 1);
  const auto line = DCFAsyncParser::polylineForDCFInfos(infos, 0);
  ASSERT_TRUE(line);
  EXPECT_EQ(infos.front()->nmea()->varidLocations().size(), 32u) << "the model keeps every fix";
  EXPECT_EQ(line->pointCount(), 31);
  for (const MapCoordinate& point : line->coordinates()) EXPECT_LT(point.latitude, 35.6 + 0.01);
  EXPECT_EQ(std::count(line->speeds().cbegin(), line->speeds().cend(), -1.0F), 1);
}

TEST(RoutePolyline, JoinsTheNextDriveUnlessANewDayFollowsAPause) {
  // Local time decides the day; pin it.
  qputenv("TZ", "UTC");
  tzset();
  const QDateTime a(QDate(2024, 5, 17), QTime(23, 58, 0), Qt::UTC);
  RouteCard card({{a, 60, true},                    // A
                  {a.addSecs(60), 60, true},        // B: same day, back to back
                  {a.addSecs(60 + 3600), 60, true}, // C: next day, an hour later
                  {a.addSecs(7200), 30, false},     // D: no GPS
                  {a.addSecs(7230), 30, true}});    // E
  ASSERT_EQ(card.infos.size(), 5);
  const auto lineA = DCFAsyncParser::polylineForDCFInfos(card.infos, 0);
  ASSERT_TRUE(lineA);
  EXPECT_EQ(lineA->pointCount(), 61);
  EXPECT_EQ(lineA->coordinates().constLast(), firstFix(card.infos.at(1)));
  EXPECT_EQ(lineA->lineColor(), ColorPalette::routeColor1());

  // B ends at 23:59:59 on the 17th, C starts 01:00 on the 18th: not joined.
  const auto lineB = DCFAsyncParser::polylineForDCFInfos(card.infos, 1);
  EXPECT_EQ(lineB->pointCount(), 60);

  // C is joined across D (no GPS) to E's first fix.
  const auto lineC = DCFAsyncParser::polylineForDCFInfos(card.infos, 2);
  EXPECT_EQ(lineC->pointCount(), 61);
  EXPECT_EQ(lineC->coordinates().constLast(), firstFix(card.infos.at(4)));
  // The carry-over reached E, not D.
  EXPECT_EQ(card.infos.at(4)->nmea()->lastValidSpeedLocation(), card.infos.at(2)->nmea()->lastValidSpeedLocation());

  // No fixes: an empty line that still joins the next one; out of range: none.
  const auto lineD = DCFAsyncParser::polylineForDCFInfos(card.infos, 3);
  EXPECT_EQ(lineD->pointCount(), 1);
  EXPECT_EQ(DCFAsyncParser::polylineForDCFInfos(card.infos, 4)->pointCount(), 30);
  EXPECT_FALSE(DCFAsyncParser::polylineForDCFInfos(card.infos, 5));
  EXPECT_FALSE(DCFAsyncParser::polylineForDCFInfos(card.infos, -1));

  const auto marker = DCFAsyncParser::annotationForDCFInfo(card.infos.at(3));
  EXPECT_EQ(marker->coordinate, (MapCoordinate{0.0, 0.0}));
  EXPECT_EQ(marker->title, card.infos.at(3)->dcfName());
  EXPECT_FALSE(marker->isUserLocation);
  EXPECT_EQ(marker->info.lock(), card.infos.at(3));
  EXPECT_EQ(DCFAsyncParser::annotationForDCFInfo(card.infos.at(0))->coordinate, firstFix(card.infos.at(0)));
}

TEST(RoutePolyline, ShortPauseAcrossMidnightStillJoins) {
  qputenv("TZ", "UTC");
  tzset();
  const QDateTime a(QDate(2024, 5, 17), QTime(23, 59, 0), Qt::UTC);
  RouteCard card({{a, 50, true}, {a.addSecs(70), 20, true}});  // 49 -> 70: 21 s apart, new day
  EXPECT_EQ(DCFAsyncParser::polylineForDCFInfos(card.infos, 0)->pointCount(), 51);
}

class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(cache.isValid()); }
  QTemporaryDir cache;
};

TEST_F(WalkTest, OrderWrapsAroundAndFinishesOnce) {
  const QDateTime a(QDate(2024, 5, 17), QTime(10, 0, 0), Qt::UTC);
  RouteCard card({{a, 5, true}, {a.addSecs(5), 5, true}, {a.addSecs(10), 5, false}});
  auto parser = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  QStringList seen;
  int finished = 0;
  parser->setUpDCFAsync(
      card.infos, 1, [&](const DCFInfoPtr& info) { seen.append(info->deltaPath()); }, [&] { ++finished; });
  EXPECT_TRUE(parser->isRunning());
  ASSERT_TRUE(test::spinUntil([&] { return finished > 0; }));
  parser->waitForFinished();
  QCoreApplication::processEvents();
  EXPECT_EQ(seen, (QStringList{card.infos.at(1)->deltaPath(), card.infos.at(2)->deltaPath(),
                               card.infos.at(0)->deltaPath()}));
  EXPECT_EQ(finished, 1);
  for (const auto& info : card.infos) {
    EXPECT_EQ(info->routeLine().size(), 1);
    EXPECT_EQ(info->annotation().size(), 1);
    // Empty videos get the broken-video picture, cached like any other.
    EXPECT_TRUE(QFile::exists(info->thumbnailPath())) << info->thumbnailPath().toStdString();
    // and are marked damaged by the walk's look at their headers.
    EXPECT_TRUE(info->damageReason().contains(QStringLiteral("empty"))) << info->damageReason().toStdString();
  }
  EXPECT_FALSE(parser->isRunning());
}

TEST_F(WalkTest, EmptyAndRefusedStartsFinishOnceAndAbsentCallbacksAreFine) {
  auto parser = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  int finished = 0;
  parser->setUpDCFAsync({}, 0, nullptr, [&] { ++finished; });
  ASSERT_TRUE(test::spinUntil([&] { return finished == 1; }));
  EXPECT_FALSE(parser->isRunning());
  const QDateTime a(QDate(2024, 5, 17), QTime(10, 0, 0), Qt::UTC);
  RouteCard card({{a, 3, true}});
  auto quiet = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  test::HeldJobPool pool;
  ASSERT_TRUE(pool.held());
  quiet->setUpDCFAsync(card.infos, 7, nullptr, nullptr);
  // Refused while that walk is certainly still queued: one finish at once.
  quiet->setUpDCFAsync(card.infos, 0, nullptr, [&] { ++finished; });
  ASSERT_TRUE(test::spinUntil([&] { return finished == 2; }));
  EXPECT_TRUE(card.infos.at(0)->thumbnailPath().isEmpty());
  pool.release();
  ASSERT_TRUE(test::spinUntil([&] { return !card.infos.at(0)->thumbnailPath().isEmpty(); }));
  EXPECT_EQ(finished, 2);
  // Only a cancelled walk may be waited for on the main thread.
  quiet->setCancelFlag(true);
  quiet->waitForFinished();
}

TEST_F(WalkTest, CancelStopsDeliveriesAndTheFinish) {
  const QDateTime a(QDate(2024, 5, 17), QTime(10, 0, 0), Qt::UTC);
  QList<RouteCard::Clip> clips;
  for (int i = 0; i < 40; ++i) {
    clips.append({a.addSecs(i * 10), 10, true});
  }
  RouteCard card(clips);
  auto parser = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  int delivered = 0;
  int deliveredAfterCancel = 0;
  bool finished = false;
  parser->setUpDCFAsync(
      card.infos, 0,
      [&](const DCFInfoPtr&) {
        ++delivered;
        if (parser->cancelFlag()) {
          ++deliveredAfterCancel;
        }
        if (delivered == 2) {
          parser->setCancelFlag(true);
        }
      },
      [&] { finished = true; });
  ASSERT_TRUE(test::spinUntil([&] { return delivered >= 2; }));
  // Let the worker leave while the main thread keeps serving it.
  std::atomic<bool> done{false};
  QThread* waiter = QThread::create([&] {
    parser->waitForFinished();
    done = true;
  });
  waiter->start();
  ASSERT_TRUE(test::spinUntil([&] { return done.load(); }));
  waiter->wait();
  delete waiter;
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, 2);
  EXPECT_EQ(deliveredAfterCancel, 0);
  EXPECT_FALSE(finished);
  // The work stopped too, not only the reports: no thumbnail beyond the two
  // delivered and the one made ahead.
  EXPECT_LE(QDir(cache.path()).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 3);

  // A new walk picks up where the old one left: those done keep their lines.
  const auto keptLine = card.infos.at(0)->routeLine();
  auto restart = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  bool restartFinished = false;
  QStringList order;
  restart->setUpDCFAsync(
      card.infos, 20, [&](const DCFInfoPtr& info) { order.append(info->deltaPath()); },
      [&] { restartFinished = true; });
  ASSERT_TRUE(test::spinUntil([&] { return restartFinished; }));
  restart->waitForFinished();
  EXPECT_EQ(order.size(), 40);
  EXPECT_EQ(order.constFirst(), card.infos.at(20)->deltaPath());
  EXPECT_EQ(card.infos.at(0)->routeLine(), keptLine);
}

// The viewer's quit drops the pool's queued jobs: the thumbnail made ahead
// for the next recording among them. The walk must not wait for it forever.
TEST_F(WalkTest, AThumbnailJobDroppedFromTheQueueDoesNotHangTheWalk) {
  const QDateTime a(QDate(2024, 5, 17), QTime(10, 0, 0), Qt::UTC);
  RouteCard card({{a, 5, true}, {a.addSecs(5), 5, true}, {a.addSecs(10), 5, true}});
  // Every thread of the pool but one held: the walk takes that one, so the
  // job it starts ahead stays queued.
  std::promise<void> gate;
  const std::shared_future<void> held = gate.get_future().share();
  const int blockers = backgroundJobPool()->maxThreadCount() - 1;
  for (int i = 0; i < blockers; ++i) startBackgroundJob([held] { held.wait(); });
  ASSERT_TRUE(test::spinUntil([&] { return backgroundJobPool()->activeThreadCount() == blockers; }));
  auto parser = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  int delivered = 0;
  int finished = 0;
  parser->setUpDCFAsync(
      card.infos, 0,
      [&](const DCFInfoPtr&) {
        // The walk waits for this call, so the job is still queued.
        if (++delivered == 1) backgroundJobPool()->clear();
      },
      [&] { ++finished; });
  const bool walked = test::spinUntil([&] { return finished == 1; }, 20000);
  gate.set_value();
  ASSERT_TRUE(walked);
  parser->waitForFinished();
  EXPECT_EQ(delivered, 3);
  // The walk made the dropped one itself.
  for (const auto& info : card.infos) EXPECT_FALSE(info->thumbnailPath().isEmpty());
}

TEST_F(WalkTest, CardRemovedDuringTheWalk) {
  const QDateTime a(QDate(2024, 5, 17), QTime(10, 0, 0), Qt::UTC);
  QList<RouteCard::Clip> clips;
  for (int i = 0; i < 30; ++i) {
    clips.append({a.addSecs(i * 10), 10, true});
  }
  auto card = std::make_unique<RouteCard>(clips);
  auto parser = std::make_shared<DCFAsyncParser>(cache.path(), 1.0);
  int delivered = 0;
  bool finished = false;
  parser->setUpDCFAsync(
      card->infos, 0,
      [&](const DCFInfoPtr&) {
        if (++delivered == 3) {
          QDir(card->dir.path()).removeRecursively();
        }
      },
      [&] { finished = true; });
  ASSERT_TRUE(test::spinUntil([&] { return finished; }));
  parser->waitForFinished();
  EXPECT_EQ(delivered, 30);
  // Recordings whose video vanished get no thumbnail (nothing to name it by).
  EXPECT_TRUE(card->infos.constLast()->thumbnailPath().isEmpty());
}

TEST(Thumbnails, CacheNameParts) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/F_20240101120000_20240101120500_N.MP4"),
                                QByteArray(123, 'x')));
  const QString video = dir.filePath(QStringLiteral("NORMAL/F_20240101120000_20240101120500_N.MP4"));
  EXPECT_EQ(DCFAsyncParser::fileSizeString(video), QStringLiteral("0000000123"));
  // A zone where the file was made in the evening: its hour keeps a 24-hour
  // clock's digits (a 12-hour clock gave 02:58 and 14:58 one name).
  const int utcHour = QDateTime::currentDateTimeUtc().time().hour();
  const QByteArray zone = qgetenv("TZ");
  qputenv("TZ", QStringLiteral("EVE%1").arg(utcHour - 19).toLatin1());  // POSIX signs: UTC+(19-h)
  ::tzset();
  const QString created = DCFAsyncParser::fileCreationDateString(video);
  const QString cacheName = DCFAsyncParser::cacheFileNameWithSourceFilePath(video);
  const QDateTime birth = ThumbnailCache::fileCreationDate(video).toLocalTime();
  if (zone.isNull()) {
    qunsetenv("TZ");
  } else {
    qputenv("TZ", zone);
  }
  ::tzset();
  const QRegularExpression stamp(QStringLiteral("^\\d{8}(1[3-9]|2[0-3])[0-5]\\d[0-5]\\d$"));
  EXPECT_TRUE(stamp.match(created).hasMatch()) << created.toStdString();
  EXPECT_EQ(created.left(8), birth.toString(QStringLiteral("yyyyMMdd")));
  EXPECT_EQ(cacheName,
            QStringLiteral("NORMALF_20240101120000_20240101120500_N0000000123") + created + QStringLiteral(".jpg"));
  EXPECT_TRUE(DCFAsyncParser::cacheFileNameWithSourceFilePath(dir.filePath(QStringLiteral("gone.MP4"))).isEmpty());
}

TEST(Thumbnails, FrameAtOneSecondInTheBoxAndReused) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  QTemporaryDir cache;
  DCFAsyncParser parser(cache.path(), 1.0);
  const QString video = card.path(card.clips().at(0).frontPath);

  VideoFrameGrabber grabber(video);
  ASSERT_TRUE(grabber.isOpen()) << grabber.errorString().toStdString();
  double at = -1;
  const QImage full = grabber.frameAt(1.0, {}, &at);
  EXPECT_EQ(full.size(), QSize(320, 180));
  EXPECT_GE(at, 1.0 - 0.001);
  EXPECT_LT(at, 1.0 + 0.05);
  // Past the end: the last frame rather than nothing.
  EXPECT_FALSE(grabber.frameAt(1000.0).isNull());

  const auto path = parser.getThumbnailPathWithSourceFilePath(video);
  ASSERT_TRUE(path.has_value());
  QImageReader reader(*path);
  EXPECT_EQ(reader.format(), QByteArray("jpeg"));
  EXPECT_EQ(reader.size(), QSize(240, 135));
  // An existing cache file is used as it is.
  struct stat before {};
  ::stat(QFile::encodeName(*path).constData(), &before);
  EXPECT_EQ(parser.getThumbnailPathWithSourceFilePath(video, QImage()), path);
  struct stat after {};
  ::stat(QFile::encodeName(*path).constData(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino);

  const QImage big = DCFAsyncParser::thumbnailWithContentAtPath(video, 480, 270);
  EXPECT_EQ(big.size(), QSize(480, 270));
}

TEST(Thumbnails, BrokenVideosGetTheBrokenPicture) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok());
  QTemporaryDir dir;
  QFile source(card.path(card.clips().at(0).frontPath));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  const QByteArray bytes = source.readAll();
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("truncated.MP4"), bytes.left(bytes.size() / 3)));
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("junk.MP4"), QByteArray(5000, '\x42')));
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("empty.MP4")));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.MP4")));
  // Opening a FIFO without a writer would block for good.
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.MP4"))).constData(), 0600), 0);
  const QImage broken = DCFAsyncParser::brokenMovieImage(240, 135);
  for (const char* name : {"junk.MP4", "empty.MP4", "folder.MP4", "missing.MP4", "fifo.MP4"}) {
    const QImage image = DCFAsyncParser::thumbnailWithContentAtPath(dir.filePath(QLatin1String(name)), 240, 135);
    EXPECT_EQ(image, broken) << name;
  }
  // A truncated file (moov at the front) still gives either a frame or the
  // broken picture, in the box.
  const QImage truncated = DCFAsyncParser::thumbnailWithContentAtPath(dir.filePath(QStringLiteral("truncated.MP4")), 240, 135);
  EXPECT_FALSE(truncated.isNull());
  EXPECT_LE(truncated.width(), 240);
  EXPECT_LE(truncated.height(), 135);
}

// A clip the camera never closed shows its first frame, rebuilt off the
// card from a healthy neighbour; without one it keeps the broken picture.
TEST(Thumbnails, ClipWithoutIndexShowsItsFirstFrame) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok());
  QTemporaryDir dir;
  const QString reference = QFileInfo(card.clips().at(0).frontPath).fileName();
  const QString damaged = QFileInfo(card.clips().at(1).frontPath).fileName();
  ASSERT_TRUE(QFile::copy(card.path(card.clips().at(1).frontPath), dir.filePath(damaged)));
  QString error;
  ASSERT_TRUE(SampleCardMaker::cutByPowerLoss(dir.filePath(damaged), 0.5, &error)) << error.toStdString();
  const QImage broken = DCFAsyncParser::brokenMovieImage(240, 135);
  EXPECT_EQ(DCFAsyncParser::thumbnailWithContentAtPath(dir.filePath(damaged), 240, 135), broken);

  ASSERT_TRUE(QFile::copy(card.path(card.clips().at(0).frontPath), dir.filePath(reference)));
  const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  const QImage thumbnail = DCFAsyncParser::thumbnailWithContentAtPath(dir.filePath(damaged), 240, 135);
  const QImage first = VideoFrameGrabber(card.path(card.clips().at(1).frontPath)).frameAt(0.0, QSize(240, 135));
  ASSERT_FALSE(first.isNull());
  ASSERT_EQ(thumbnail.size(), first.size());
  EXPECT_NE(thumbnail, broken);
  // The same picture, give or take the scaling.
  const QImage a = thumbnail.convertToFormat(QImage::Format_Grayscale8);
  const QImage b = first.convertToFormat(QImage::Format_Grayscale8);
  double difference = 0.0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) difference += std::abs(a.constScanLine(y)[x] - b.constScanLine(y)[x]);
  }
  EXPECT_LT(difference / (a.width() * a.height()), 2.0);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

TEST(ThumbnailCacheCleaning, KeepsTheNewestAndDropsExportLeftOvers) {
  QTemporaryDir dir;
  const auto name = [](int i) { return QStringLiteral("t%1.jpg").arg(i, 5, 10, QLatin1Char('0')); };
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(test::writeFileAt(dir.path(), name(i)));
  // Files made within one tick of the file system's clock share their birth
  // time: the rest is made after the three oldest's tick has passed.
  const QDateTime oldest = ThumbnailCache::fileCreationDate(dir.filePath(name(2)));
  const QString probe = dir.filePath(QStringLiteral("probe"));
  QDeadlineTimer guard(10000);
  bool later = false;
  while (!later && !guard.hasExpired()) {
    ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("probe")));
    later = ThumbnailCache::fileCreationDate(probe) > oldest;
    QFile::remove(probe);
  }
  ASSERT_TRUE(later);
  for (int i = 3; i < 5003; ++i) ASSERT_TRUE(test::writeFileAt(dir.path(), name(i)));
  for (const char* name : {"route.kml", "route.KMZ", "keep.png", "keep.JPG"}) {
    ASSERT_TRUE(test::writeFileAt(dir.path(), QLatin1String(name)));
  }
  ThumbnailCache::cacheCleaning(dir.path(), 5000);
  const QStringList left = ThumbnailCache::cacheFiles(dir.path());
  EXPECT_EQ(left.size(), 5000);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("t%1.jpg").arg(i, 5, 10, QLatin1Char('0'))))) << i;
  }
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("t00003.jpg"))));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("route.kml"))));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("route.KMZ"))));
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("keep.png"))));
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("keep.JPG"))));

  QTemporaryDir few;
  for (int i = 0; i < 4999; ++i) {
    ASSERT_TRUE(test::writeFileAt(few.path(), QStringLiteral("t%1.jpg").arg(i)));
  }
  ThumbnailCache::cacheCleaning(few.path(), 5000);
  EXPECT_EQ(ThumbnailCache::cacheFiles(few.path()).size(), 4999);
  ThumbnailCache::cacheCleaning(few.path() + QStringLiteral("/missing"), 5000);
}

}  // namespace
}  // namespace dashcard
