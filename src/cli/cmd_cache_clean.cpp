#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/common/const_class.h"

namespace dashcard::cli {
namespace {

int runCacheClean(const QStringList& arguments) {
  QCommandLineParser parser;
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments, QStringLiteral("dashcard-cli cache-clean"),
                      QStringLiteral("Trims the thumbnail cache the way the viewer does when it quits: removes\n"
                                     "left-over KML/KMZ files and keeps the %1 newest thumbnails.")
                          .arg(ConstClass::MAX_THUMB_CACHE),
                      &exitCode)) {
    return exitCode;
  }
  if (!parser.positionalArguments().isEmpty()) {
    printError(QStringLiteral("cache-clean takes no arguments. Try 'dashcard-cli cache-clean --help'."));
    return kExitUsage;
  }
  const QString directory = ThumbnailCache::cachesDirectoryPath();
  const qsizetype before = ThumbnailCache::cacheFiles(directory).size();
  ThumbnailCache::cacheCleaning(directory, ConstClass::MAX_THUMB_CACHE);
  const qsizetype after = ThumbnailCache::cacheFiles(directory).size();
  printOut(QStringLiteral("%1: %2 thumbnails kept, %3 removed").arg(directory).arg(after).arg(before - after));
  return kExitOk;
}

}  // namespace

int runCacheCleanCommand(const QStringList& arguments) { return runCacheClean(arguments); }

}  // namespace dashcard::cli
