#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/common/path_text.h"
#include "core/export/dcf_async_kml_builder.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace dashcard::cli {
namespace {

int runExportKml(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Target file: .kml, or .kmz for an archive."));
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments, QStringLiteral("dashcard-cli export-kml CARD OUT.kml|OUT.kmz"),
                      QStringLiteral("Writes the routes (one folder per day) and the event positions of every\n"
                                     "recording of the card as a KML document, or as a KMZ archive whose entry\n"
                                     "route.kml is added or replaced."),
                      &exitCode)) {
    return exitCode;
  }
  if (parser.positionalArguments().size() != 2) {
    printError(QStringLiteral("export-kml needs CARD and OUT. Try 'dashcard-cli export-kml --help'."));
    return kExitUsage;
  }
  const QString root = parser.positionalArguments().at(0);
  const QString target = QFileInfo(parser.positionalArguments().at(1)).absoluteFilePath();
  if (!QFileInfo(root).isDir()) {
    printError(QStringLiteral("export-kml: %1 is not a folder.").arg(root));
    return kExitUsage;
  }
  const CardScanner::Result scan = CardScanner().scan(root);
  // A card with only its NMEA folder is a card all the same.
  if (!scan.scanned && !CardScanner::mediaIsRynd(root)) {
    printError(QStringLiteral("export-kml: %1 does not look like a camera card (no NORMAL, EVENT, MANUAL or NMEA folder).")
                   .arg(root));
    return kExitUsage;
  }
  if (scan.recordings.isEmpty()) {
    printError(QStringLiteral("export-kml: the card holds no recordings; there is nothing to export."));
    return kExitFailed;
  }

  ProgressBar bar(QStringLiteral("Exporting"));
  QEventLoop loop;
  std::optional<QString> failure;
  auto builder = DCFAsyncKMLBuilder::create();
  builder->kmlBuildAsync(
      scan.recordings, target,
      [&bar](const DCFInfoPtr& info, float progress) {
        bar.update(progress, path_text::lastPathComponent(info->filePath()));
      },
      [&](const std::optional<QString>& error) {
        failure = error;
        loop.quit();
      });
  loop.exec();
  bar.finish();
  if (failure) {
    printError(QStringLiteral("export-kml: An error occurred when writing data: %1").arg(*failure));
    return kExitFailed;
  }
  printOut(QStringLiteral("KML/KMZ export is complete: %1 recordings to %2").arg(scan.recordings.size()).arg(target));
  return kExitOk;
}

}  // namespace

int runExportKmlCommand(const QStringList& arguments) { return runExportKml(arguments); }

}  // namespace dashcard::cli
