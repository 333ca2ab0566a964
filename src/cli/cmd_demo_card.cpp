#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/sample_card_maker.h"

#include <QDir>
#include <QThread>

namespace dashcard::cli {
namespace {

// The whole number of `option`, at least `minimum`, into `value` when given.
void readInt(const CommandArguments& command, const QCommandLineOption& option, int minimum, int* value) {
  if (!command.parser.isSet(option)) {
    return;
  }
  bool ok = false;
  const int parsed = command.parser.value(option).toInt(&ok);
  if (!ok || parsed < minimum) {
    command.refuse(QStringLiteral("--%1 needs a whole number of at least %2, not '%3'.")
                       .arg(option.names().constFirst())
                       .arg(minimum)
                       .arg(command.parser.value(option)));
  }
  *value = parsed;
}

}  // namespace

int runDemoCardCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("demo-card"),
      QStringLiteral("DIR [--clips N] [--clip-seconds S] [--seed K] [--no-rear] "
                     "[--telemetry beside|nmea|mixed] [--width W --height H]"),
      QStringLiteral("Writes a sample card with videos of a synthetic road scene and a simulated drive.\n"
                     "The same options always give the same card, byte for byte."));
  QCommandLineParser& parser = command.parser;
  const QCommandLineOption clips(QStringLiteral("clips"), QStringLiteral("Number of clips (default 20)."),
                                 QStringLiteral("N"));
  const QCommandLineOption seconds(QStringLiteral("clip-seconds"), QStringLiteral("Length of a clip (default 3)."),
                                   QStringLiteral("S"));
  const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the simulated drive (default 1)."),
                                QStringLiteral("K"));
  const QCommandLineOption noRear(QStringLiteral("no-rear"), QStringLiteral("No rear-camera videos."));
  const QCommandLineOption telemetry(QStringLiteral("telemetry"),
                                     QStringLiteral("Where telemetry files go: beside, nmea (default) or mixed."),
                                     QStringLiteral("PLACE"));
  const QCommandLineOption width(QStringLiteral("width"), QStringLiteral("Front video width (default 320)."),
                                 QStringLiteral("W"));
  const QCommandLineOption height(QStringLiteral("height"), QStringLiteral("Front video height (default 180)."),
                                  QStringLiteral("H"));
  const QCommandLineOption emptyVideos(QStringLiteral("empty-videos"),
                                       QStringLiteral("Write 0-byte videos instead of encoding (for benchmarks)."));
  parser.addOptions({clips, seconds, seed, noRear, telemetry, width, height, emptyVideos});
  parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("Folder to write the card into."));
  command.addProgressOption();
  const QString dir = command.parse(arguments, 1, 1, QStringLiteral("needs exactly one DIR")).at(0);

  SampleCardOptions options;
  options.jobs = std::max(1, QThread::idealThreadCount());
  int seedValue = 1;
  readInt(command, clips, 0, &options.clips);
  readInt(command, seconds, 1, &options.clipSeconds);
  readInt(command, seed, 0, &seedValue);
  readInt(command, width, 16, &options.width);
  readInt(command, height, 16, &options.height);
  options.seed = static_cast<std::uint64_t>(seedValue);
  options.rear = !parser.isSet(noRear);
  options.encodeVideos = !parser.isSet(emptyVideos);
  if (parser.isSet(telemetry)) {
    const QString place = parser.value(telemetry);
    if (place == QLatin1String("beside")) {
      options.telemetry = SampleTelemetryPlace::Beside;
    } else if (place == QLatin1String("nmea")) {
      options.telemetry = SampleTelemetryPlace::Nmea;
    } else if (place == QLatin1String("mixed")) {
      options.telemetry = SampleTelemetryPlace::Mixed;
    } else {
      command.refuse(QStringLiteral("--telemetry takes beside, nmea or mixed, not '%1'.").arg(place));
    }
  }

  SampleCardMaker maker(options);
  ProgressBar bar(QStringLiteral("Writing card"), command.progressMode());
  QString error;
  const bool ok = maker.make(
      dir, &error, [&bar](int done, int total) { bar.update(total > 0 ? static_cast<double>(done) / total : 1.0); });
  bar.finish();
  if (!ok) {
    command.fail(error);
  }
  printOut(QStringLiteral("Wrote a card of %1 clips to %2").arg(maker.clips().size()).arg(QDir(dir).absolutePath()));
  return kExitOk;
}

}  // namespace dashcard::cli
