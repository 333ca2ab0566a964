#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/common/const_class.h"

namespace dashcard::cli {

int runCacheCleanCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("cache-clean"), {},
                           QStringLiteral("Trims the thumbnail cache the way the viewer does when it quits: removes\n"
                                          "left-over KML/KMZ files and keeps the %1 newest thumbnails.")
                               .arg(ConstClass::MAX_THUMB_CACHE));
  command.parse(arguments, 0, 0, QStringLiteral("takes no arguments"));
  const QString directory = ThumbnailCache::cachesDirectoryPath();
  const qsizetype before = ThumbnailCache::cacheFiles(directory).size();
  const QStringList failures = ThumbnailCache::cacheCleaning(directory, ConstClass::MAX_THUMB_CACHE);
  const qsizetype after = ThumbnailCache::cacheFiles(directory).size();
  printOut(QStringLiteral("%1: %2 thumbnails kept, %3 removed").arg(directory).arg(after).arg(before - after));
  for (const QString& failure : failures) {
    printError(QStringLiteral("cache-clean: cannot remove %1").arg(failure));
  }
  return failures.isEmpty() ? kExitOk : kExitFailed;
}

}  // namespace dashcard::cli
