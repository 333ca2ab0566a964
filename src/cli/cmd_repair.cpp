#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/media/clip_health.h"
#include "core/media/clip_rebuilder.h"
#include "core/common/save_folder.h"

#include <QDir>
#include <QFileInfo>

namespace dashcard::cli {
namespace {

// The card a file lies on: the nearest folder above it that is one.
QString cardRootOf(const QString& filePath) {
  QDir dir = QFileInfo(filePath).absoluteDir();
  do {
    if (CardScanner::mediaIsRynd(dir.path())) return dir.path();
  } while (dir.cdUp());
  return {};
}

}  // namespace

int runRepairCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("repair"), QStringLiteral("VIDEO [--reference HEALTHY] OUT.MP4"),
      QStringLiteral("Rebuilds a video whose index is missing or cut (a clip cut by a power loss) into a new\n"
                     "playable MP4, with the set-up of a healthy clip of the same camera: by default the\n"
                     "nearest in time beside it. The video itself is never changed and OUT.MP4 may not lie\n"
                     "on its card. Exit code 0 when repaired, 1 when nothing could be recovered or no\n"
                     "reference serves, 2 for wrong usage."));
  const QCommandLineOption reference(QStringLiteral("reference"),
                                     QStringLiteral("A healthy clip of the same camera to take the set-up from."),
                                     QStringLiteral("HEALTHY"));
  command.parser.addOption(reference);
  command.addProgressOption();
  command.parser.addPositionalArgument(QStringLiteral("VIDEO"), QStringLiteral("The damaged video."));
  command.parser.addPositionalArgument(QStringLiteral("OUT.MP4"), QStringLiteral("Where the repaired copy goes."));
  const QStringList paths = command.parse(arguments, 2, 2, QStringLiteral("needs a VIDEO and an OUT.MP4"));
  const QString video = QFileInfo(paths.at(0)).absoluteFilePath();
  const QString out = QFileInfo(paths.at(1)).absoluteFilePath();
  if (!QFileInfo(video).isFile()) command.refuse(QStringLiteral("%1 is not a file.").arg(paths.at(0)));
  const QString referencePath =
      command.parser.isSet(reference) ? QFileInfo(command.parser.value(reference)).absoluteFilePath() : QString();
  if (!referencePath.isEmpty() && !QFileInfo(referencePath).isFile()) {
    command.refuse(QStringLiteral("%1 is not a file.").arg(command.parser.value(reference)));
  }
  const QString card = cardRootOf(video);
  if (isOutputOnCard(out, card)) {
    command.refuse(QStringLiteral("%1 lies on the card %2: nothing is written to a card; choose another folder.")
                       .arg(paths.at(1), card));
  }
  if (QFileInfo(out).absoluteFilePath() == video || QFileInfo(out).canonicalFilePath() == QFileInfo(video).canonicalFilePath()) {
    command.refuse(QStringLiteral("OUT.MP4 may not be the video itself."));
  }
  const ClipHealth health = ClipHealth::inspect(video);
  if (health.healthy()) printError(QStringLiteral("repair: %1 is not damaged; rebuilding it all the same.").arg(paths.at(0)));

  ClipRebuilder::Result result;
  {
    ProgressBar bar(QStringLiteral("repair"), command.progressMode());
    result = ClipRebuilder::rebuild(video, referencePath, out, nullptr, [&](double f) { bar.update(f); });
    bar.finish();
  }
  if (!result.ok) command.fail(result.error);
  printOut(QStringLiteral("%1: %2 pictures, %3 sound frames, %4 s (reference %5)")
               .arg(out)
               .arg(result.videoFrames)
               .arg(result.audioFrames)
               .arg(result.seconds, 0, 'f', 2)
               .arg(result.reference));
  return kExitOk;
}

}  // namespace dashcard::cli
