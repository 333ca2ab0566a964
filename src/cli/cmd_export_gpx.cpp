#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/common/atomic_file.h"
#include "core/export/gpx_writer.h"
#include "core/media/incident_export.h"

#include <QFileInfo>

namespace dashcard::cli {
namespace {

int runExportGpx(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Target file (.gpx)."));
  const QCommandLineOption fromOption = spanOption(QStringLiteral("from"));
  const QCommandLineOption toOption = spanOption(QStringLiteral("to"));
  parser.addOptions({fromOption, toOption});
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments,
                      QStringLiteral("dashcard-cli export-gpx CARD [--from DATETIME --to DATETIME] OUT.gpx"),
                      QStringLiteral("Writes the GPS track of the card, or of the span between --from and --to, as\n"
                                     "GPX 1.1: time, position, elevation, speed and course of every valid fix, one\n"
                                     "track segment per continuous stretch."),
                      &exitCode)) {
    return exitCode;
  }
  if (parser.positionalArguments().size() != 2 || parser.isSet(fromOption) != parser.isSet(toOption)) {
    printError(
        QStringLiteral("export-gpx needs CARD and OUT, and --from with --to. Try 'dashcard-cli export-gpx --help'."));
    return kExitUsage;
  }
  const QString root = parser.positionalArguments().at(0);
  const QString target = QFileInfo(parser.positionalArguments().at(1)).absoluteFilePath();
  QDateTime from;
  QDateTime to;
  if (parser.isSet(fromOption)) {
    from = parseIsoDateTime(parser.value(fromOption));
    to = parseIsoDateTime(parser.value(toOption));
    if (!from.isValid() || !to.isValid() || to <= from) {
      printError(
          QStringLiteral("export-gpx: --from and --to take ISO 8601 dates such as 2023-12-31T23:59:15Z, "
                         "--to after --from."));
      return kExitUsage;
    }
  }
  if (!QFileInfo(root).isDir()) {
    printError(QStringLiteral("export-gpx: %1 is not a folder.").arg(root));
    return kExitUsage;
  }
  const CardScanner::Result scan = CardScanner().scan(root);
  if (!scan.scanned) {
    printError(QStringLiteral("export-gpx: %1 does not look like a camera card (no NORMAL, EVENT or MANUAL folder).")
                   .arg(root));
    return kExitUsage;
  }
  DCFInfoList recordings =
      from.isValid() ? IncidentExporter::readRecordingsInSpan(scan.recordings, from, to) : scan.recordings;
  if (!from.isValid()) {
    std::stable_sort(recordings.begin(), recordings.end(),
                     [](const DCFInfoPtr& a, const DCFInfoPtr& b) { return a->startDate() < b->startDate(); });
  }
  if (recordings.isEmpty()) {
    printError(QStringLiteral("export-gpx: no recording covers the span; nothing was written."));
    return kExitUsage;
  }
  const std::vector<CustomLocation> locations = IncidentExporter::locationsInSpan(recordings, from, to);
  QString errorText;
  if (!writeFileAtomically(target, GpxWriter::document(locations, QFileInfo(target).completeBaseName()), &errorText,
                           false)) {
    printError(QStringLiteral("export-gpx: %1").arg(errorText));
    return kExitFailed;
  }
  printOut(QStringLiteral("GPX export is complete: %1 points in %2 segments to %3")
               .arg(locations.size())
               .arg(GpxWriter::segmentCount(locations))
               .arg(target));
  return kExitOk;
}

}  // namespace

int runExportGpxCommand(const QStringList& arguments) { return runExportGpx(arguments); }

}  // namespace dashcard::cli
