#pragma once

#include "core/catalogue/dcf_info.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace dashcard {

// What an incident report covers and where it goes.
struct IncidentReportRequest {
  // The card's recordings in any order; the report takes those whose video
  // covers part of [from, to], as the video export does.
  DCFInfoList recordings;
  QDateTime from;
  QDateTime to;
  // The card's root: its name and its camera settings (time zone).
  QString cardRoot;
  // The PDF file.
  QString targetFilePath;
  // Files made with the report (a video export); their SHA-256 is listed too.
  QStringList exportedFiles;
  // "ja" for Japanese texts, anything else English; empty: the user's language.
  QString language;
  // Damaged video -> its repaired copy, whose frames the report shows (and
  // whose SHA-256 it lists). A damaged video without one shows no frames,
  // with a warning, as the video export leaves a gap.
  QHash<QString, QString> repairedCopies;
  // The camera clock's offset from GPS time (seconds) that the report's
  // times are corrected by (the span above stays on the camera's clock);
  // 0: the camera's own times.
  double clockCorrectionSeconds = 0.0;
};

// The facts of one second of the span: one row of the report's table.
struct ReportSecond {
  QDateTime time;  // UTC
  double latitude = 0.0;
  double longitude = 0.0;
  bool hasFix = false;
  double speed = -1.0;    // m/s, negative when unknown
  double heading = -1.0;  // degrees, negative when unknown
  double peakG = 0.0;     // largest absolute G-sensor value of the second
  QStringList warnings;   // drive-support warnings
};

// A front and rear frame at one instant, as the still capture takes them.
struct ReportFrames {
  QString label;
  QDateTime time;  // of the front frame (UTC)
  QImage front;
  QImage rear;
};

// Writes the PDF report of one span of a drive: what and when, the route
// map, the speed and G-sensor curves, the frames at the start, the highest
// force and the end, one table row per second and the SHA-256 of every
// file used. Drawn with the same painters as the screen (map renderer with
// the built-in map, graph drawer). One object per report, started once; the
// file appears whole or not at all.
class IncidentReporter : public std::enable_shared_from_this<IncidentReporter> {
 public:
  // The item at work (empty: the report as a whole) and 0 <= progress <= 1.
  using ProgressBlock = std::function<void(const QString& item, float progress)>;
  // The reason of a failure; empty on success. Exactly once on the main
  // thread, also after a cancel ("Cancelled.") and for a refused start.
  using DidFinishBlock = std::function<void(const std::optional<QString>& error)>;

  static std::shared_ptr<IncidentReporter> create();

  void reportAsync(IncidentReportRequest request, ProgressBlock progress, DidFinishBlock didFinish);
  void setCancelFlag(bool cancel) { cancelFlag_.store(cancel); }
  bool isRunning() const { return isRunning_.load(); }

  // What the last run left out (a damaged video without a repaired copy),
  // one sentence each; read once it finished.
  QStringList warnings() const;

  // The whole report on the calling thread (it runs an event loop while map
  // tiles are drawn); the reason of a failure. Nothing is written on failure.
  // `warnings` (optional) gets what was left out; the PDF lists it too.
  static std::optional<QString> write(const IncidentReportRequest& request, const std::atomic<bool>& cancel,
                                      const ProgressBlock& progress = {}, QStringList* warnings = nullptr);

 private:
  IncidentReporter() = default;
  std::atomic<bool> cancelFlag_{false};
  std::atomic<bool> isRunning_{false};
  mutable std::mutex warningsMutex_;
  QStringList warnings_;
};

}  // namespace dashcard
