#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/media/incident_export.h"

#include <QFileInfo>

namespace dashcard::cli {

int runExportVideoCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("export-video"),
      QStringLiteral("CARD --from DATETIME --to DATETIME [--camera front|rear|both] [--exact] [--overlay] OUT.mp4"),
      QStringLiteral("Writes one video of a span of time across clips: the front or rear clips\n"
                     "joined without re-encoding (cut at the key frames around the span, or exactly\n"
                     "with --exact), or both cameras side by side in one H.264 picture. The span's\n"
                     "GPS track is written beside it as OUT.gpx and OUT.kml. A gap in the\n"
                     "recordings stays a gap: the picture before it is held."));
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
  command.parser.addOptions({cameraOption, exactOption, overlayOption});
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
  request.targetFilePath = QFileInfo(positional.at(1)).absoluteFilePath();
  request.recordings =
      IncidentExporter::readRecordingsInSpan(command.scanCard(positional.at(0)).recordings, request.from, request.to);
  if (request.recordings.isEmpty()) {
    command.refuse(QStringLiteral("no recording covers the span from %1 to %2; nothing was written.")
                       .arg(isoDate(request.from), isoDate(request.to)));
  }

  auto exporter = IncidentExporter::create();
  const auto failure = runJob(QStringLiteral("Exporting"), [&](ProgressBar& bar, JobFinish finish) {
    exporter->exportAsync(
        request, [&bar](double done) { bar.update(done); }, std::move(finish));
  }, command.progressMode());
  if (failure) {
    command.fail(*failure);
  }
  const QString& target = request.targetFilePath;
  printOut(QStringLiteral("Video export is complete: %1 recordings to %2 (track in %3 and %4)")
               .arg(request.recordings.size())
               .arg(target, IncidentExporter::sidePath(target, QStringLiteral("gpx")),
                    IncidentExporter::sidePath(target, QStringLiteral("kml"))));
  return kExitOk;
}

}  // namespace dashcard::cli
