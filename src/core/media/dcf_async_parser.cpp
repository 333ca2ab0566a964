#include "core/media/dcf_async_parser.h"

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/common/color_palette.h"
#include "core/common/main_thread.h"
#include "core/common/path_text.h"
#include "core/media/clip_health.h"
#include "core/media/clip_rebuilder.h"
#include "core/media/video_frame_grabber.h"
#include "core/telemetry/gps_track_cleaner.h"
#include "core/telemetry/nmea_data.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPromise>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <future>
#include <vector>

#include <sys/stat.h>

namespace dashcard {

struct DCFAsyncParser::Walk {
  DCFInfoList infos;
  std::vector<qsizetype> order;
  std::promise<void> done;
};

namespace {

// The thumbnail box on a screen of scale 1: 1920 x 1080 x 0.125.
constexpr double kThumbnailFraction = 0.125;
constexpr double kThumbnailSeconds = 1.0;

double screenScale() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return 1.0;
  }
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? std::max(1.0, screen->devicePixelRatio()) : 1.0;
}

}  // namespace

DCFAsyncParser::DCFAsyncParser(QString cacheDirectory, double scale)
    : cacheDirectory_(cacheDirectory.isEmpty() ? ThumbnailCache::cachesDirectoryPath() : std::move(cacheDirectory)),
      scale_(scale > 0.0 ? scale : screenScale()) {}

DCFAsyncParser::~DCFAsyncParser() = default;

void DCFAsyncParser::setUpDCFAsync(const DCFInfoList& infos, qsizetype startIndex, ProgressBlock progress,
                                   FinishBlock didFinish) {
  if (isRunning_.exchange(true)) {
    // The walk under way keeps its callbacks; this call still gets its end.
    if (didFinish) {
      runOnMainThreadAsync(std::move(didFinish));
    }
    return;
  }
  progressBlock_ = progress ? std::move(progress) : ProgressBlock([](const DCFInfoPtr&) {});
  didFinishBlock_ = didFinish ? std::move(didFinish) : FinishBlock([] {});
  auto walk = std::make_shared<Walk>();
  finished_ = walk->done.get_future().share();
  if (infos.isEmpty()) {
    isRunning_ = false;
    walk->done.set_value();
    runOnMainThreadAsync(didFinishBlock_);
    return;
  }
  walk->infos = infos;
  const qsizetype count = infos.size();
  const qsizetype start = std::clamp<qsizetype>(startIndex, 0, count);
  walk->order.reserve(static_cast<size_t>(count));
  for (qsizetype i = start; i < count; ++i) {
    walk->order.push_back(i);
  }
  for (qsizetype i = 0; i < start; ++i) {
    walk->order.push_back(i);
  }

  // The task holds the parser weakly: a parser dropped by its owner ends its walk.
  std::weak_ptr<DCFAsyncParser> weak = weak_from_this();
  if (weak.expired()) {
    // Not owned by a shared pointer: the caller keeps it alive until waitForFinished().
    DCFAsyncParser* self = this;
    startBackgroundJob([self, walk] { self->run(walk); });
    return;
  }
  startBackgroundJob([weak, walk] {
    if (auto self = weak.lock()) {
      self->run(walk);
    } else {
      walk->done.set_value();
    }
  });
}

void DCFAsyncParser::waitForFinished() {
  if (finished_.valid()) {
    finished_.wait();
  }
}

void DCFAsyncParser::run(const std::shared_ptr<Walk>& walk) {
  const QString cacheDirectory = cacheDirectory_;
  const double scale = scale_;
  auto thumbnailJob = [cacheDirectory, scale](const QString& path) {
    DCFAsyncParser maker(cacheDirectory, scale);
    return maker.getThumbnailPathWithSourceFilePath(path);
  };
  // The next recording's thumbnail is made on a second thread while this
  // one parses and hands over, so two cores share the decoding and the
  // order in which recordings are delivered stays the walk order.
  QFuture<std::optional<QString>> next;
  const auto& order = walk->order;
  for (size_t k = 0; k < order.size(); ++k) {
    if (cancelFlag_.load()) {
      break;
    }
    const qsizetype index = order[k];
    const DCFInfoPtr& info = walk->infos.at(index);
    QFuture<std::optional<QString>> current = std::move(next);
    next = {};
    if (k + 1 < order.size() && !cancelFlag_.load()) {
      // With a promise: a job dropped from the queue (the viewer quitting)
      // then ends cancelled, and this walk makes the thumbnail itself
      // instead of waiting for it forever.
      next = QtConcurrent::run(
          backgroundJobPool(),
          [thumbnailJob](QPromise<std::optional<QString>>& promise, const QString& path) {
            promise.addResult(thumbnailJob(path));
          },
          walk->infos.at(order[k + 1])->filePath());
    }

    std::shared_ptr<CustomMapPolyline> line;
    if (info->routeLine().isEmpty()) {
      line = polylineForDCFInfos(walk->infos, index);
    }
    if (info->annotation().isEmpty()) {
      if (auto annotation = annotationForDCFInfo(info)) {
        info->setAnnotation({annotation});
      }
    }
    if (line) {
      info->setRouteLine({line});
    }
    // A look at the videos' box headers: a few small reads, so the lists
    // can mark a clip the camera never closed before anyone plays it.
    QStringList damage;
    bool unplayable = false;
    for (const QString& video : {info->filePath(), info->secondaryFilePath()}) {
      if (video.isEmpty()) continue;
      const ClipHealth health = ClipHealth::inspect(video);
      if (!health.healthy()) {
        const bool front = video == info->filePath();
        // A truncated clip still plays up to its cut.
        if (front && health.damage != ClipDamage::Truncated) unplayable = true;
        damage.append(front ? health.reason : QCoreApplication::translate("DCFAsyncParser", "Rear video: %1").arg(health.reason));
      }
    }
    if (damage.join(u'\n') != info->damageReason() || unplayable != info->isUnplayable()) {
      info->setDamageReason(damage.join(u'\n'), unplayable);
    }
    std::optional<QString> thumbnail;
    if (current.isValid()) {
      current.waitForFinished();
      if (current.resultCount() > 0) thumbnail = current.result();
    } else {
      thumbnail = getThumbnailPathWithSourceFilePath(info->filePath());
    }
    runOnMainThread(
        [&] {
          if (info->thumbnailPath().isEmpty() && thumbnail) {
            info->setThumbnailPath(*thumbnail);
          }
          progressBlock_(info);
        },
        cancelFlag_);
  }
  if (next.isValid()) {
    next.waitForFinished();
  }
  isRunning_ = false;
  // A copy: the finish may start the next walk, which replaces the member.
  const FinishBlock finish = didFinishBlock_;
  runOnMainThread(finish, cancelFlag_);
  walk->done.set_value();
}

std::shared_ptr<CustomMapPolyline> DCFAsyncParser::polylineForDCFInfos(const DCFInfoList& infos, qsizetype index) {
  if (index < 0 || index >= infos.size()) {
    return nullptr;
  }
  const DCFInfoPtr& current = infos.at(index);
  current->nmea()->setup();
  const auto fixes = current->nmea()->varidLocations();
  QList<MapCoordinate> points;
  QList<float> speeds;
  points.reserve(static_cast<qsizetype>(fixes.size()) + 1);
  speeds.reserve(points.capacity());
  QDateTime lastTime;
  // The map shows the cleaned track: a one-second jump of the receiver is
  // left out, a made-up speed is unknown (grey when coloured by speed). The
  // model and the exports keep the raw fixes.
  std::vector<TrackPoint> track;
  track.reserve(fixes.size());
  for (const CustomLocation& fix : fixes) track.push_back(TrackPoint::of(fix, true));
  const CleanTrack clean = CleanTrack::of(track);
  std::size_t i = 0;
  for (const CustomLocation& fix : fixes) {
    const std::size_t k = i++;
    lastTime = fix.timestamp;
    if (!clean.positionOk[k]) continue;
    points.append({fix.latitude, fix.longitude});
    const bool madeUp = track[k].speed >= 0.0 && !clean.speedOk[k];
    speeds.append(madeUp ? -1.0F : static_cast<float>(fix.displaySpeed()));
  }
  for (qsizetype j = index + 1; j < infos.size(); ++j) {
    const DCFInfoPtr& following = infos.at(j);
    following->nmea()->setup();
    const auto nextFixes = following->nmea()->varidLocations();
    if (nextFixes.empty()) {
      continue;
    }
    following->nmea()->setLastValidSpeedLocation(current->nmea()->lastValidSpeedLocation());
    following->nmea()->setLastValidHeadingLocation(current->nmea()->lastValidHeadingLocation());
    const CustomLocation& first = *nextFixes.begin();
    // One drive is one line: join unless a new day begins after a pause.
    const bool newDay = ColorPalette::shouldChangeRouteColor(lastTime, first.timestamp);
    const bool close = lastTime.isValid() && first.timestamp.isValid() &&
                       std::llabs(lastTime.msecsTo(first.timestamp)) < 30000;
    if (!newDay || close) {
      points.append({first.latitude, first.longitude});
      speeds.append(static_cast<float>(first.displaySpeed()));
    }
    break;
  }
  return std::make_shared<CustomMapPolyline>(std::move(points), std::move(speeds), ColorPalette::routeColor1());
}

std::shared_ptr<CustomPointAnnotation> DCFAsyncParser::annotationForDCFInfo(const DCFInfoPtr& info) {
  if (!info) {
    return nullptr;
  }
  auto annotation = std::make_shared<CustomPointAnnotation>();
  const auto fixes = info->nmea()->varidLocations();
  if (!fixes.empty()) {
    const CustomLocation& first = *fixes.begin();
    annotation->coordinate = {first.latitude, first.longitude};
  }
  annotation->title = info->dcfName();
  annotation->isUserLocation = false;
  annotation->info = info;
  return annotation;
}

std::optional<QString> DCFAsyncParser::getThumbnailPathWithSourceFilePath(const QString& path) const {
  const QString name = cacheFileNameWithSourceFilePath(path);
  if (name.isEmpty() || cacheDirectory_.isEmpty()) {
    return std::nullopt;
  }
  const QString target = path_text::appendingPathComponent(cacheDirectory_, name);
  struct stat info {};
  if (::stat(QFile::encodeName(target).constData(), &info) == 0) {
    // An empty file is what a full disk left behind, not a thumbnail.
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
      return target;
    }
    if (S_ISREG(info.st_mode)) {
      QFile::remove(target);
    }
  }
  return makeThumbnail(path, target);
}

std::optional<QString> DCFAsyncParser::getThumbnailPathWithSourceFilePath(const QString& path,
                                                                          const QImage& keyImage) const {
  (void)keyImage;
  return getThumbnailPathWithSourceFilePath(path);
}

std::optional<QString> DCFAsyncParser::makeThumbnail(const QString& path, const QString& target) const {
  const double box = scale_ * kThumbnailFraction;
  const QImage image = thumbnailWithContentAtPath(path, static_cast<int>(std::lround(1920.0 * box)),
                                                  static_cast<int>(std::lround(1080.0 * box)));
  if (image.isNull()) {
    return std::nullopt;
  }
  QByteArray data;
  {
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(85);
    if (!writer.write(image)) {
      return std::nullopt;
    }
  }
  if (data.isEmpty()) {
    return std::nullopt;
  }
  // Written under a temporary name and renamed, so a reader never sees half
  // a file. A failed write leaves no file and no path; views then show no picture.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
    return std::nullopt;
  }
  return target;
}

QImage DCFAsyncParser::thumbnailWithContentAtPath(const QString& path, int width, int height) {
  const QSize box(std::max(1, width), std::max(1, height));
  VideoFrameGrabber grabber(path);
  QImage frame = grabber.frameAt(kThumbnailSeconds, box);
  if (frame.isNull() && ClipHealth::inspect(path).rebuildable()) {
    // A clip the camera never closed: its first pictures, rebuilt into a
    // scratch file (never beside the clip), give its first decodable frame.
    const QTemporaryDir scratch(QDir::temp().filePath(QStringLiteral("dashcard-thumbnail-XXXXXX")));
    const QString start = scratch.filePath(QStringLiteral("start.mp4"));
    constexpr int kPictures = 2;
    if (scratch.isValid() && ClipRebuilder::rebuild(path, {}, start, nullptr, {}, kPictures).ok) {
      frame = VideoFrameGrabber(start).frameAt(0.0, box);
    }
  }
  if (frame.isNull()) {
    return brokenMovieImage(box.width(), box.height());
  }
  return frame;
}

QImage DCFAsyncParser::brokenMovieImage(int width, int height) {
  // Drawn here rather than from the window's artwork, so the catalogue
  // links no GUI resources: a struck-through frame on dark grey.
  const QSize box(std::max(1, width), std::max(1, height));
  QImage image(box, QImage::Format_RGB32);
  image.fill(QColor(48, 48, 48));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(200, 60, 60), std::max(2, box.height() / 30)));
  const QRect frame =
      QRect(QPoint(0, 0), box).adjusted(box.width() / 4, box.height() / 4, -box.width() / 4, -box.height() / 4);
  painter.drawRect(frame);
  painter.drawLine(frame.topLeft(), frame.bottomRight());
  painter.end();
  return image;
}

QString DCFAsyncParser::cacheFileNameWithSourceFilePath(const QString& path) {
  const QString created = fileCreationDateString(path);
  const QString size = fileSizeString(path);
  if (created.isEmpty() || size.isEmpty()) {
    return {};
  }
  const QString folder = path_text::lastPathComponent(path_text::deletingLastPathComponent(path));
  const QString base = path_text::deletingPathExtension(path_text::lastPathComponent(path));
  return folder + base + size + created + QStringLiteral(".jpg");
}

QString DCFAsyncParser::fileCreationDateString(const QString& path) {
  const QDateTime created = ThumbnailCache::fileCreationDate(path);
  if (!created.isValid()) {
    return {};
  }
  // Gregorian digits on a 24-hour clock: on a 12-hour one, files made at
  // 02:58 and 14:58 shared a name. The local zone is read at every call.
  const QDateTime local = created.toLocalTime();
  return QString::asprintf("%04d%02d%02d%02d%02d%02d", local.date().year(), local.date().month(), local.date().day(),
                           local.time().hour(), local.time().minute(), local.time().second());
}

QString DCFAsyncParser::fileSizeString(const QString& path) {
  struct stat info {};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
    return {};
  }
  return QString::asprintf("%010ld", static_cast<long>(info.st_size));
}

}  // namespace dashcard
