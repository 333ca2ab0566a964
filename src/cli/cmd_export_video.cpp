#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/media/incident_export.h"

#include <QEventLoop>
#include <QFileInfo>

namespace dashcard::cli {
namespace {

int runExportVideo(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Target video file (.mp4)."));
  const QCommandLineOption fromOption = spanOption(QStringLiteral("from"));
  const QCommandLineOption toOption = spanOption(QStringLiteral("to"));
  const QCommandLineOption cameraOption(QStringLiteral("camera"),
                                        QStringLiteral("front (default), rear, or both side by side."),
                                        QStringLiteral("front|rear|both"), QStringLiteral("front"));
  const QCommandLineOption exactOption(QStringLiteral("exact"),
                                       QStringLiteral("Front or rear: start and end on the given instants "
                                                      "(re-encodes the partial groups of pictures at the edges)."));
  const QCommandLineOption overlayOption(QStringLiteral("overlay"),
                                         QStringLiteral("Side by side: burn in a line of date, time and speed."));
  parser.addOptions({fromOption, toOption, cameraOption, exactOption, overlayOption});
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments,
                      QStringLiteral("dashcard-cli export-video CARD --from DATETIME --to DATETIME "
                                     "[--camera front|rear|both] [--exact] [--overlay] OUT.mp4"),
                      QStringLiteral("Writes one video of a span of time across clips: the front or rear clips\n"
                                     "joined without re-encoding (cut at the key frames around the span, or exactly\n"
                                     "with --exact), or both cameras side by side in one H.264 picture. The span's\n"
                                     "GPS track is written beside it as OUT.gpx and OUT.kml. A gap in the\n"
                                     "recordings stays a gap: the picture before it is held."),
                      &exitCode)) {
    return exitCode;
  }
  if (parser.positionalArguments().size() != 2 || !parser.isSet(fromOption) || !parser.isSet(toOption)) {
    printError(
        QStringLiteral("export-video needs CARD, --from, --to and OUT. Try 'dashcard-cli export-video --help'."));
    return kExitUsage;
  }
  const QString root = parser.positionalArguments().at(0);
  const QString target = QFileInfo(parser.positionalArguments().at(1)).absoluteFilePath();
  const QDateTime from = parseIsoDateTime(parser.value(fromOption));
  const QDateTime to = parseIsoDateTime(parser.value(toOption));
  if (!from.isValid() || !to.isValid()) {
    printError(QStringLiteral("export-video: --from and --to take ISO 8601 dates such as 2023-12-31T23:59:15Z."));
    return kExitUsage;
  }
  if (to <= from) {
    printError(QStringLiteral("export-video: --to must come after --from."));
    return kExitUsage;
  }
  const QString camera = parser.value(cameraOption);
  IncidentExportRequest request;
  if (camera == QLatin1String("front")) {
    request.camera = ExportCamera::Front;
  } else if (camera == QLatin1String("rear")) {
    request.camera = ExportCamera::Rear;
  } else if (camera == QLatin1String("both")) {
    request.camera = ExportCamera::SideBySide;
  } else {
    printError(QStringLiteral("export-video: --camera takes front, rear or both."));
    return kExitUsage;
  }
  if (parser.isSet(overlayOption) && request.camera != ExportCamera::SideBySide) {
    printError(QStringLiteral("export-video: --overlay needs --camera both."));
    return kExitUsage;
  }
  if (!QFileInfo(root).isDir()) {
    printError(QStringLiteral("export-video: %1 is not a folder.").arg(root));
    return kExitUsage;
  }
  const CardScanner::Result scan = CardScanner().scan(root);
  if (!scan.scanned) {
    printError(QStringLiteral("export-video: %1 does not look like a camera card (no NORMAL, EVENT or MANUAL folder).")
                   .arg(root));
    return kExitUsage;
  }
  request.recordings = IncidentExporter::readRecordingsInSpan(scan.recordings, from, to);
  if (request.recordings.isEmpty()) {
    printError(QStringLiteral("export-video: no recording covers the span from %1 to %2; nothing was written.")
                   .arg(isoDate(from), isoDate(to)));
    return kExitUsage;
  }
  request.from = from;
  request.to = to;
  request.exact = parser.isSet(exactOption);
  request.overlay = parser.isSet(overlayOption);
  request.targetFilePath = target;

  ProgressBar bar(QStringLiteral("Exporting"));
  QEventLoop loop;
  std::optional<QString> failure;
  auto exporter = IncidentExporter::create();
  exporter->exportAsync(
      request, [&bar](double progress) { bar.update(progress); },
      [&](const std::optional<QString>& error) {
        failure = error;
        loop.quit();
      });
  loop.exec();
  bar.finish();
  if (failure) {
    printError(QStringLiteral("export-video: %1").arg(*failure));
    return kExitFailed;
  }
  printOut(QStringLiteral("Video export is complete: %1 recordings to %2 (track in %3 and %4)")
               .arg(request.recordings.size())
               .arg(target, IncidentExporter::sidePath(target, QStringLiteral("gpx")),
                    IncidentExporter::sidePath(target, QStringLiteral("kml"))));
  return kExitOk;
}

}  // namespace

int runExportVideoCommand(const QStringList& arguments) { return runExportVideo(arguments); }

}  // namespace dashcard::cli
