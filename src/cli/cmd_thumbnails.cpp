#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/media/dcf_async_parser.h"
#include "core/catalogue/thumbnail_cache.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace dashcard::cli {
namespace {

int runThumbnails(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption cacheDir(QStringLiteral("cache-dir"),
                                    QStringLiteral("Folder for the thumbnails (default: the viewer's cache)."),
                                    QStringLiteral("DIR"));
  parser.addOption(cacheDir);
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments, QStringLiteral("dashcard-cli thumbnails CARD [--cache-dir DIR]"),
                      QStringLiteral("Runs the viewer's background walk over every recording of a card: reads the\n"
                                     "telemetry, builds the route lines and makes the thumbnails. Prints each\n"
                                     "thumbnail's path in the order they are made."),
                      &exitCode)) {
    return exitCode;
  }
  if (parser.positionalArguments().size() != 1) {
    printError(QStringLiteral("thumbnails needs exactly one CARD. Try 'dashcard-cli thumbnails --help'."));
    return kExitUsage;
  }
  const QString root = QDir::cleanPath(QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
  if (!CardScanner::pathIsDirectory(root)) {
    printError(QStringLiteral("thumbnails: %1 is not a folder.").arg(root));
    return kExitUsage;
  }
  if (!CardScanner::mediaIsRynd(root)) {
    printError(QStringLiteral("thumbnails: %1 is not a camera card (no NORMAL, EVENT, MANUAL or NMEA folder).").arg(root));
    return kExitFailed;
  }
  QString directory = parser.value(cacheDir);
  if (directory.isEmpty()) {
    directory = ThumbnailCache::cachesDirectoryPath();
  } else if (!QDir().mkpath(directory)) {
    printError(QStringLiteral("thumbnails: cannot create %1.").arg(directory));
    return kExitFailed;
  }

  const DCFInfoList recordings = CardScanner().scan(root).recordings;
  if (recordings.isEmpty()) {
    return kExitOk;
  }
  auto walker = std::make_shared<DCFAsyncParser>(directory);
  ProgressBar bar(QStringLiteral("Thumbnails"));
  qsizetype done = 0;
  qsizetype missing = 0;
  QEventLoop loop;
  walker->setUpDCFAsync(
      recordings, 0,
      [&](const DCFInfoPtr& info) {
        ++done;
        const QString thumbnail = info->thumbnailPath();
        if (thumbnail.isEmpty()) {
          ++missing;
          printError(QStringLiteral("thumbnails: no thumbnail for %1").arg(info->deltaPath()));
        } else {
          printOut(thumbnail);
        }
        bar.update(static_cast<double>(done) / static_cast<double>(recordings.size()), info->deltaPath());
      },
      [&] { loop.quit(); });
  loop.exec();
  bar.finish();
  return missing == 0 ? kExitOk : kExitFailed;
}

}  // namespace

int runThumbnailsCommand(const QStringList& arguments) { return runThumbnails(arguments); }

}  // namespace dashcard::cli
