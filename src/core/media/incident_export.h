#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/telemetry/custom_location.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace dashcard {

// Which pictures an incident export writes.
enum class ExportCamera {
  Front,       // the front clips joined, sound kept
  Rear,        // the rear clips joined
  SideBySide,  // front and rear in one picture, re-encoded
};

// One moment of a drive to turn into a single video file.
struct IncidentExportRequest {
  // The card's recordings in any order; the export takes those whose video
  // covers part of [from, to], normal and event folders alike, in time order.
  DCFInfoList recordings;
  QDateTime from;
  QDateTime to;
  ExportCamera camera = ExportCamera::Front;
  // Front / rear: re-encode the partial groups of pictures at the two edges
  // so the file starts and ends on the requested instants.
  bool exact = false;
  // Side by side: burn in a line of date, time and speed.
  bool overlay = false;
  // Side by side: decode on a graphics device when one is present (see
  // VideoSpanWriter::Options).
  bool hardwareDecoding = true;
  // The video file (.mp4). The span's GPX track and KML are written beside it
  // with the same base name unless switched off.
  QString targetFilePath;
  bool writeGpx = true;
  bool writeKml = true;
  // Damaged video -> its repaired copy, which the export takes instead. A
  // damaged video without one leaves its time as a gap, with a warning.
  QHash<QString, QString> repairedCopies;
};

// Writes one video of a span across clips in the background, plus its GPX
// track and KML. One object per export, started once. Every file appears
// whole or not at all: cancel and failures leave nothing behind.
class IncidentExporter : public std::enable_shared_from_this<IncidentExporter> {
 public:
  // The item at work (empty: the span as a whole) and 0 <= progress <= 1,
  // on the main thread: the progress form of every long task.
  using ProgressBlock = std::function<void(const QString& item, float progress)>;
  // The reason of a failure; empty on success. Comes exactly once, on the
  // main thread, also after a cancel (with the text "Cancelled.") and for a
  // refused start.
  using DidFinishBlock = std::function<void(const std::optional<QString>& error)>;

  static std::shared_ptr<IncidentExporter> create();

  // The burnt-in line: local date and time and the speed of the last fix
  // at or before `at` ("--" without one in the 5 seconds before).
  static QString overlayText(const std::vector<CustomLocation>& locations, const QDateTime& at);
  // Where the track files go beside the video: same folder and base name.
  static QString sidePath(const QString& videoPath, const QString& suffix);

  void exportAsync(IncidentExportRequest request, ProgressBlock progress, DidFinishBlock didFinish);
  void setCancelFlag(bool cancel) { cancelFlag_.store(cancel); }
  bool isRunning() const { return isRunning_.load(); }
  // How much of the span's video the last run wrote (0..1), reports a
  // cancel dropped included: shows that a cancel stops the work.
  double writtenFraction() const { return writtenFraction_.load(); }
  // What the last run left out (a damaged video's time kept as a gap), one
  // sentence each; read once it finished.
  QStringList warnings() const;

 private:
  IncidentExporter() = default;
  // The whole export on a background thread; the reason of a failure.
  std::optional<QString> run(const IncidentExportRequest& request, const ProgressBlock& progress);

  std::atomic<bool> cancelFlag_{false};
  std::atomic<bool> isRunning_{false};
  std::atomic<double> writtenFraction_{0.0};
  mutable std::mutex warningsMutex_;
  QStringList warnings_;
};

}  // namespace dashcard
