#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/common/atomic_file.h"
#include "core/export/gpx_writer.h"
#include "core/media/recording_span.h"

#include <QFileInfo>

namespace dashcard::cli {

int runExportGpxCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("export-gpx"), QStringLiteral("CARD [--from DATETIME --to DATETIME] OUT.gpx"),
      QStringLiteral("Writes the GPS track of the card, or of the span between --from and --to, as\n"
                     "GPX 1.1: time, position, elevation, speed and course of every valid fix, one\n"
                     "track segment per continuous stretch."));
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  command.parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Target file (.gpx)."));
  command.addSpanOptions();
  const QStringList positional = command.parse(arguments, 2, 2, QStringLiteral("needs CARD and OUT"));
  const auto [from, to] = command.span(false);
  const QString target = absolutePath(positional.at(1));
  command.refuseOutputOnCard(target, positional.at(0));
  DCFInfoList recordings = command.scanCard(positional.at(0)).recordings;
  if (from.isValid()) {
    recordings = RecordingSpan::readRecordingsInSpan(recordings, from, to);
  } else {
    std::stable_sort(recordings.begin(), recordings.end(),
                     [](const DCFInfoPtr& a, const DCFInfoPtr& b) { return a->startDate() < b->startDate(); });
  }
  if (recordings.isEmpty()) {
    command.refuse(QStringLiteral("no recording covers the span; nothing was written."));
  }
  const std::vector<CustomLocation> locations = GpxWriter::locationsInSpan(recordings, from, to);
  QString errorText;
  if (!writeFileAtomically(target, GpxWriter::document(locations, QFileInfo(target).completeBaseName()), &errorText,
                           false)) {
    command.fail(errorText);
  }
  printOut(QStringLiteral("GPX export is complete: %1 points in %2 segments to %3")
               .arg(locations.size())
               .arg(GpxWriter::segmentCount(locations))
               .arg(target));
  return kExitOk;
}

}  // namespace dashcard::cli
