#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/media/incident_export.h"
#include "core/media/recording_span.h"

#include <QFileInfo>

namespace dashcard::cli {

int runExportVideoCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("export-video"),
      QStringLiteral("CARD --from DATETIME --to DATETIME [--camera front|rear|both] [--exact] [--overlay] [--force] "
                     "OUT.mp4"),
      QStringLiteral("Writes one video of a span of time across clips: the front or rear clips\n"
                     "joined without re-encoding (cut at the key frames around the span, or exactly\n"
                     "with --exact), or both cameras side by side in one H.264 picture. The span's\n"
                     "GPS track is written beside it as OUT.gpx and OUT.kml; when either exists\n"
                     "already, nothing is written unless --force allows replacing them. A gap in\n"
                     "the recordings stays a gap: the picture before it is held."));
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  command.parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Target video file (.mp4)."));
  command.addSpanOptions();
  const QCommandLineOption cameraOption(QStringLiteral("camera"),
                                        QStringLiteral("front (default), rear, or both side by side."),
                                        QStringLiteral("front|rear|both"), QStringLiteral("front"));
  const QCommandLineOption exactOption(QStringLiteral("exact"),
                                       QStringLiteral("Front or rear: start and end on the given instants "
                                                      "(re-encodes the partial groups of pictures at the edges)."));
  const QCommandLineOption overlayOption(QStringLiteral("overlay"),
                                         QStringLiteral("Side by side: burn in a line of date, time and speed."));
  const QCommandLineOption forceOption(QStringLiteral("force"),
                                       QStringLiteral("Replace an existing OUT.gpx and OUT.kml beside OUT."));
  command.parser.addOptions({cameraOption, exactOption, overlayOption, forceOption});
  command.addProgressOption();
  const QStringList positional = command.parse(arguments, 2, 2, QStringLiteral("needs CARD, --from, --to and OUT"));
  IncidentExportRequest request;
  std::tie(request.from, request.to) = command.span(true);
  const QString camera = command.parser.value(cameraOption);
  if (camera == QLatin1String("front")) {
    request.camera = ExportCamera::Front;
  } else if (camera == QLatin1String("rear")) {
    request.camera = ExportCamera::Rear;
  } else if (camera == QLatin1String("both")) {
    request.camera = ExportCamera::SideBySide;
  } else {
    command.refuse(QStringLiteral("--camera takes front, rear or both."));
  }
  request.exact = command.parser.isSet(exactOption);
  request.overlay = command.parser.isSet(overlayOption);
  if (request.overlay && request.camera != ExportCamera::SideBySide) {
    command.refuse(QStringLiteral("--overlay needs --camera both."));
  }
  request.targetFilePath = absolutePath(positional.at(1));
  const QString gpxPath = IncidentExporter::sidePath(request.targetFilePath, QStringLiteral("gpx"));
  const QString kmlPath = IncidentExporter::sidePath(request.targetFilePath, QStringLiteral("kml"));
  for (const QString& output : {request.targetFilePath, gpxPath, kmlPath}) {
    command.refuseOutputOnCard(output, positional.at(0));
  }
  if (!command.parser.isSet(forceOption)) {
    for (const QString& side : {gpxPath, kmlPath}) {
      const QFileInfo existing(side);
      if (existing.exists() || existing.isSymLink()) {
        command.refuse(QStringLiteral("%1 exists; the track beside the video would replace it. Add --force to "
                                      "replace it, or choose another OUT.")
                           .arg(side));
      }
    }
  }
  request.recordings =
      RecordingSpan::readRecordingsInSpan(command.scanCard(positional.at(0)).recordings, request.from, request.to);
  if (request.recordings.isEmpty()) {
    command.refuse(QStringLiteral("no recording covers the span from %1 to %2; nothing was written.")
                       .arg(isoDate(request.from), isoDate(request.to)));
  }

  for (const DCFInfoPtr& info : request.recordings) {
    if (request.camera != ExportCamera::Rear) {
      command.failWhenUnreadable(info->filePath());
    }
    if (request.camera != ExportCamera::Front && !info->secondaryFilePath().isEmpty()) {
      command.failWhenUnreadable(info->secondaryFilePath());
    }
  }

  auto exporter = IncidentExporter::create();
  const auto failure = runJob(
      QStringLiteral("Exporting"),
      [&](ProgressBar& bar, JobFinish finish) {
        exporter->exportAsync(
            request, [&bar](const QString&, float done) { bar.update(done); }, std::move(finish));
      },
      command.progressMode());
  if (failure) {
    command.fail(*failure);
  }
  for (const QString& warning : exporter->warnings()) printError(QStringLiteral("export-video: ") + warning);
  const QString& target = request.targetFilePath;
  printOut(QStringLiteral("Video export is complete: %1 recordings to %2 (track in %3 and %4)")
               .arg(request.recordings.size())
               .arg(target, IncidentExporter::sidePath(target, QStringLiteral("gpx")),
                    IncidentExporter::sidePath(target, QStringLiteral("kml"))));
  return kExitOk;
}

}  // namespace dashcard::cli
