#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/media/dcf_async_parser.h"

#include <QDir>

namespace dashcard::cli {

int runThumbnailsCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("thumbnails"), QStringLiteral("CARD [--cache-dir DIR]"),
      QStringLiteral("Runs the viewer's background walk over every recording of a card: reads the\n"
                     "telemetry, builds the route lines and makes the thumbnails. Prints each\n"
                     "thumbnail's path in the order they are made."));
  const QCommandLineOption cacheDir(QStringLiteral("cache-dir"),
                                    QStringLiteral("Folder for the thumbnails (default: the viewer's cache)."),
                                    QStringLiteral("DIR"));
  command.parser.addOption(cacheDir);
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  command.addProgressOption();
  const QStringList positional = command.parse(arguments, 1, 1, QStringLiteral("needs exactly one CARD"));
  const DCFInfoList recordings = command.scanCard(positional.at(0)).recordings;
  QString directory = command.parser.value(cacheDir);
  if (directory.isEmpty()) {
    directory = ThumbnailCache::cachesDirectoryPath();
  } else if (!QDir().mkpath(directory)) {
    command.fail(QStringLiteral("cannot create %1.").arg(directory));
  }

  auto walker = std::make_shared<DCFAsyncParser>(directory);
  qsizetype done = 0;
  qsizetype missing = 0;
  runJob(QStringLiteral("Thumbnails"), [&](ProgressBar& bar, JobFinish finish) {
    walker->setUpDCFAsync(
        recordings, 0,
        [&](const DCFInfoPtr& info) {
          ++done;
          if (info->thumbnailPath().isEmpty()) {
            ++missing;
            printError(QStringLiteral("thumbnails: no thumbnail for %1").arg(info->deltaPath()));
          } else {
            printOut(info->thumbnailPath());
          }
          bar.update(static_cast<double>(done) / static_cast<double>(recordings.size()), info->deltaPath());
        },
        [finish] { finish(std::nullopt); });
  }, command.progressMode());
  return missing == 0 ? kExitOk : kExitFailed;
}

}  // namespace dashcard::cli
