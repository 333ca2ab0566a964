#pragma once

#include "core/catalogue/dcf_info.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace dashcard {

class CustomMapPolyline;
struct CustomPointAnnotation;

// The background walk over a catalogue: for each recording, starting at the
// one the user looks at and wrapping around, it parses the telemetry, builds
// the route line and the map marker, makes the thumbnail, and hands the
// recording to the main thread, waiting until it was taken. One walk per
// parser; cancel it and make a new parser to start elsewhere.
class DCFAsyncParser : public std::enable_shared_from_this<DCFAsyncParser> {
 public:
  using ProgressBlock = std::function<void(const DCFInfoPtr& info)>;
  using FinishBlock = std::function<void()>;

  // `cacheDirectory` empty: the application's thumbnail cache. `scale`: the
  // screen's backing scale factor (thumbnails are 240 x 135 times it);
  // 0 asks the primary screen, 1 without one.
  explicit DCFAsyncParser(QString cacheDirectory = {}, double scale = 0.0);
  ~DCFAsyncParser();

  // Starts the walk over `infos` from `startIndex` on the shared background
  // pool. `didFinish` comes once on the main thread unless the walk is
  // cancelled: at once for an empty list, and for a call made while a walk
  // runs (that walk goes on with its own callbacks).
  void setUpDCFAsync(const DCFInfoList& infos, qsizetype startIndex, ProgressBlock progress, FinishBlock didFinish);

  void setCancelFlag(bool cancel) { cancelFlag_.store(cancel); }
  bool cancelFlag() const { return cancelFlag_.load(); }
  bool isRunning() const { return isRunning_.load(); }
  // Blocks until the background task has left (tests and the command line;
  // never from the main thread while the walk hands over to it).
  void waitForFinished();

  // The route line of infos[index], joined to the first fix of the next
  // recording that has one, unless a day change and a gap of 30 s or more
  // lie between. Parses the telemetry it needs. Null when index is out of range.
  static std::shared_ptr<CustomMapPolyline> polylineForDCFInfos(const DCFInfoList& infos, qsizetype index);
  // The marker at the recording's first fix (0, 0 without one).
  static std::shared_ptr<CustomPointAnnotation> annotationForDCFInfo(const DCFInfoPtr& info);

  // The cached thumbnail of a video, made when missing; none when it could
  // not be written.
  std::optional<QString> getThumbnailPathWithSourceFilePath(const QString& path) const;
  std::optional<QString> getThumbnailPathWithSourceFilePath(const QString& path, const QImage& keyImage) const;
  // The frame at 1.0 s scaled into width x height; for a clip without an
  // index its first decodable frame; else the broken-video picture.
  static QImage thumbnailWithContentAtPath(const QString& path, int width, int height);
  // folder + base name + size ("%010ld") + creation time + ".jpg"; empty when the video cannot be read.
  static QString cacheFileNameWithSourceFilePath(const QString& path);
  // "yyyyMMddHHmmss" (24-hour hours) in the local zone.
  static QString fileCreationDateString(const QString& path);
  static QString fileSizeString(const QString& path);
  // The picture shown for a video that cannot be decoded.
  static QImage brokenMovieImage(int width, int height);

  const QString& cacheDirectory() const { return cacheDirectory_; }
  double scale() const { return scale_; }

 private:
  struct Walk;
  void run(const std::shared_ptr<Walk>& walk);
  // Makes the thumbnail file for the video at `path` at `target` (it does not exist yet).
  std::optional<QString> makeThumbnail(const QString& path, const QString& target) const;

  QString cacheDirectory_;
  double scale_ = 1.0;
  std::atomic<bool> cancelFlag_{false};
  std::atomic<bool> isRunning_{false};
  ProgressBlock progressBlock_;
  FinishBlock didFinishBlock_;
  std::shared_future<void> finished_;
};

}  // namespace dashcard
