#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/common/path_text.h"
#include "core/export/dcf_async_kml_builder.h"

#include <QFileInfo>

namespace dashcard::cli {

int runExportKmlCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("export-kml"), QStringLiteral("CARD OUT.kml|OUT.kmz"),
                           QStringLiteral("Writes the routes (one folder per day) and the event positions of every\n"
                                          "recording of the card as a KML document, or as a KMZ archive whose entry\n"
                                          "route.kml is added or replaced."));
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  command.parser.addPositionalArgument(QStringLiteral("OUT"),
                                       QStringLiteral("Target file: .kml, or .kmz for an archive."));
  command.addProgressOption();
  const QStringList positional = command.parse(arguments, 2, 2, QStringLiteral("needs CARD and OUT"));
  const QString target = QFileInfo(positional.at(1)).absoluteFilePath();
  const CardScanner::Result scan = command.scanCard(positional.at(0));
  if (scan.recordings.isEmpty()) {
    command.fail(QStringLiteral("the card holds no recordings; there is nothing to export."));
  }

  auto builder = DCFAsyncKMLBuilder::create();
  const auto failure = runJob(QStringLiteral("Exporting"), [&](ProgressBar& bar, JobFinish finish) {
    builder->kmlBuildAsync(
        scan.recordings, target,
        [&bar](const DCFInfoPtr& info, float done) {
          bar.update(done, path_text::lastPathComponent(info->filePath()));
        },
        std::move(finish));
  }, command.progressMode());
  if (failure) {
    command.fail(QStringLiteral("An error occurred when writing data: %1").arg(*failure));
  }
  printOut(QStringLiteral("KML/KMZ export is complete: %1 recordings to %2").arg(scan.recordings.size()).arg(target));
  return kExitOk;
}

}  // namespace dashcard::cli
