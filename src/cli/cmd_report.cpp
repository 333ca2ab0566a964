#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/media/incident_export.h"
#include "core/media/recording_span.h"
#include "core/report/incident_report.h"

#include <QFileInfo>

namespace dashcard::cli {

int runReportCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("report"), QStringLiteral("CARD --from DATETIME --to DATETIME [--language en|ja] OUT.pdf"),
      QStringLiteral("Writes the incident report of a span as PDF: card, camera and times, the route\n"
                     "map, speed and G-sensor curves, front and rear frames at the start, the highest\n"
                     "force and the end, one row per second and the SHA-256 of every file used."));
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  command.parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Target PDF file."));
  command.addSpanOptions();
  const QCommandLineOption languageOption(QStringLiteral("language"),
                                          QStringLiteral("Texts in English (en, default) or Japanese (ja)."),
                                          QStringLiteral("en|ja"), QStringLiteral("en"));
  command.parser.addOption(languageOption);
  command.addProgressOption();
  const QStringList positional = command.parse(arguments, 2, 2, QStringLiteral("needs CARD, --from, --to and OUT"));
  IncidentReportRequest request;
  std::tie(request.from, request.to) = command.span(true);
  request.language = command.parser.value(languageOption);
  if (request.language != QLatin1String("en") && request.language != QLatin1String("ja")) {
    command.refuse(QStringLiteral("--language takes en or ja."));
  }
  request.cardRoot = QFileInfo(positional.at(0)).absoluteFilePath();
  request.targetFilePath = QFileInfo(positional.at(1)).absoluteFilePath();
  command.refuseOutputOnCard(request.targetFilePath, positional.at(0));
  const CardScanner::Result scan = command.scanCard(positional.at(0));
  if (RecordingSpan::readRecordingsInSpan(scan.recordings, request.from, request.to).isEmpty()) {
    command.refuse(QStringLiteral("no recording covers the span from %1 to %2; nothing was written.")
                       .arg(isoDate(request.from), isoDate(request.to)));
  }
  request.recordings = scan.recordings;

  auto reporter = IncidentReporter::create();
  const auto failure = runJob(
      QStringLiteral("Writing the report"),
      [&](ProgressBar& bar, JobFinish finish) {
        reporter->reportAsync(
            request, [&bar](const QString&, float done) { bar.update(done); }, std::move(finish));
      },
      command.progressMode());
  if (failure) {
    command.fail(*failure);
  }
  for (const QString& warning : reporter->warnings()) printError(QStringLiteral("report: ") + warning);
  printOut(QStringLiteral("Report is complete: %1").arg(request.targetFilePath));
  return kExitOk;
}

}  // namespace dashcard::cli
