#include "core/media/incident_export.h"

#include "core/common/atomic_file.h"
#include "core/common/main_thread.h"
#include "core/common/progress_report_manager.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/export/gpx_writer.h"
#include "core/media/recording_span.h"
#include "core/media/span_video_sources.h"
#include "core/media/video_span_writer.h"
#include "core/telemetry/nmea_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace dashcard {
std::shared_ptr<IncidentExporter> IncidentExporter::create() {
  return std::shared_ptr<IncidentExporter>(new IncidentExporter());
}

QString IncidentExporter::overlayText(const std::vector<CustomLocation>& locations, const QDateTime& at) {
  QString text = at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
  const auto after =
      std::upper_bound(locations.begin(), locations.end(), at,
                       [](const QDateTime& time, const CustomLocation& l) { return time < l.timestamp; });
  if (after != locations.begin() && std::prev(after)->timestamp.msecsTo(at) <= 5000) {
    const CustomLocation& fix = *std::prev(after);
    text += QStringLiteral("   %1 %2")
                .arg(qRound(CustomLocation::speedForCurrentLocale(fix.displaySpeed())))
                .arg(CustomLocation::unitForCurrentLocale());
  } else {
    text += QStringLiteral("   -- %1").arg(CustomLocation::unitForCurrentLocale());
  }
  return text;
}

QString IncidentExporter::sidePath(const QString& videoPath, const QString& suffix) {
  const QFileInfo info(videoPath);
  return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffix);
}

void IncidentExporter::exportAsync(IncidentExportRequest request, ProgressBlock progress, DidFinishBlock didFinish) {
  const auto finish = [didFinish](const std::optional<QString>& error) {
    runOnMainThreadAsync([didFinish, error] {
      if (didFinish) didFinish(error);
    });
  };
  if (request.targetFilePath.isEmpty()) {
    finish(QStringLiteral("No target file was given."));
    return;
  }
  if (!request.from.isValid() || !request.to.isValid() || request.to <= request.from) {
    finish(QStringLiteral("The span is empty: its end must come after its start."));
    return;
  }
  if (isRunning_.exchange(true)) {
    finish(QStringLiteral("This export is already running."));
    return;
  }
  cancelFlag_.store(false);
  writtenFraction_.store(0.0);
  auto self = shared_from_this();
  startBackgroundJob([self, request = std::move(request), progress, finish] {
    std::optional<QString> error = self->run(request, progress);
    if (!error && self->cancelFlag_.load()) error = QStringLiteral("Cancelled.");
    self->isRunning_.store(false);
    finish(error);
  });
}

QStringList IncidentExporter::warnings() const {
  const std::lock_guard<std::mutex> lock(warningsMutex_);
  return warnings_;
}

std::optional<QString> IncidentExporter::run(const IncidentExportRequest& request, const ProgressBlock& progress) {
  {
    const std::lock_guard<std::mutex> lock(warningsMutex_);
    warnings_.clear();
  }
  const bool rearOnly = request.camera == ExportCamera::Rear;
  const bool sideBySide = request.camera == ExportCamera::SideBySide;
  SpanVideoSources sources(request.repairedCopies);
  const auto videosOf = [&](const DCFInfoPtr& info) {
    QStringList videos{rearOnly ? info->secondaryFilePath() : info->filePath()};
    if (sideBySide) videos << info->secondaryFilePath();
    return videos;
  };
  sources.learnCopyLengths(request.recordings, rearOnly);
  const DCFInfoList span = RecordingSpan::readRecordingsInSpan(request.recordings, request.from, request.to);
  if (span.isEmpty())
    return QStringLiteral("No recording covers the span from %1 to %2.")
        .arg(DCFInfo::displayDateString(request.from), DCFInfo::displayDateString(request.to));
  if (cancelFlag_.load()) return QStringLiteral("Cancelled.");

  QList<VideoSpanWriter::Clip> clips;
  QStringList gaps;
  for (const DCFInfoPtr& info : span) {
    if (rearOnly && (info->secondaryFilePath().isEmpty() || !QFileInfo(info->secondaryFilePath()).isFile())) {
      return QStringLiteral("The rear video of %1 is missing.").arg(QFileInfo(info->filePath()).fileName());
    }
    if (const QString why = sources.damage(videosOf(info)); !why.isEmpty()) {
      // Never a broken file: the damaged clip's time stays a gap.
      gaps << SpanVideoSources::gapWarning(why, QStringLiteral("export"));
      continue;
    }
    clips.append({sources.source(rearOnly ? info->secondaryFilePath() : info->filePath()),
                  sources.source(info->secondaryFilePath()), info->startDate()});
  }
  {
    const std::lock_guard<std::mutex> lock(warningsMutex_);
    warnings_ = gaps;
  }
  if (clips.isEmpty()) {
    return QStringLiteral("Every video in the span is damaged and none has a repaired copy: %1").arg(gaps.join(u' '));
  }
  const std::vector<CustomLocation> locations = GpxWriter::locationsInSpan(span, request.from, request.to);

  ProgressReportManager throttle;
  // Reports wait for the main thread (at most five a second), and stop with a cancel.
  throttle.progressReeport([this, progress](unsigned long long permille) {
    if (progress) runOnMainThread([&] { progress(QString(), static_cast<float>(permille) / 1000.0F); }, cancelFlag_);
  });
  VideoSpanWriter::Options options;
  options.mode =
      request.camera == ExportCamera::SideBySide ? VideoSpanWriter::Mode::SideBySide : VideoSpanWriter::Mode::Copy;
  options.exact = request.exact;
  options.keepSound = request.camera != ExportCamera::Rear;
  options.hardwareDecoding = request.hardwareDecoding;
  if (request.overlay && request.camera == ExportCamera::SideBySide) {
    options.overlayText = [&locations](const QDateTime& at) { return overlayText(locations, at); };
  }
  // An export can be made again: no wait for the disk (the rename keeps it whole).
  AtomicFileWriter video(request.targetFilePath, false);
  QString errorText;
  if (!video.open(&errorText)) return errorText;
  const std::optional<QString> failure = VideoSpanWriter::write(
      clips, request.from, request.to, options, video, cancelFlag_,
      [this, &throttle](double fraction) {
        writtenFraction_.store(fraction);
        throttle.report(static_cast<unsigned long long>(fraction * 950.0));
      });
  if (failure) return failure;

  const QString trackName = QFileInfo(request.targetFilePath).completeBaseName();
  const QByteArray gpx = request.writeGpx ? GpxWriter::document(locations, trackName) : QByteArray();
  QByteArray kml;
  if (request.writeKml) {
    std::vector<XmlNode> nodes;
    if (auto route = DCFAsyncKMLBuilder::routeNodeFolderWithLocations(locations, 0)) nodes.push_back(std::move(*route));
    if (auto events = DCFAsyncKMLBuilder::eventNodeFolderWithLocations(span)) nodes.push_back(std::move(*events));
    kml = DCFAsyncKMLBuilder::createXMLString(std::move(nodes));
  }
  if (cancelFlag_.load()) return QStringLiteral("Cancelled.");

  // All or nothing: a track that cannot be written takes the video with it.
  QStringList written;
  const auto undo = [&written] {
    for (const QString& path : written) QFile::remove(path);
  };
  if (!video.commit(&errorText)) return errorText;
  written << request.targetFilePath;
  if (request.writeGpx) {
    const QString path = sidePath(request.targetFilePath, QStringLiteral("gpx"));
    if (!writeFileAtomically(path, gpx, &errorText, false)) {
      undo();
      return errorText;
    }
    written << path;
  }
  if (request.writeKml) {
    const QString path = sidePath(request.targetFilePath, QStringLiteral("kml"));
    if (!DCFAsyncKMLBuilder::writeDocument(kml, path, &errorText)) {
      undo();
      return errorText;
    }
  }
  throttle.forceReport(1000);
  return std::nullopt;
}

}  // namespace dashcard
