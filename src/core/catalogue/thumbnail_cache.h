#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace dashcard {

// The thumbnail cache directory of the application and its upkeep.
class ThumbnailCache {
 public:
  ThumbnailCache() = delete;

  // The application's cache location, created when missing (errors ignored).
  static QString cachesDirectoryPath();
  // Full paths of the direct entries of `directory` whose extension is exactly "jpg".
  static QStringList cacheFiles(const QString& directory);
  // Deletes left-over KML/KMZ files, then the oldest thumbnails (by
  // creation time) until at most `maxCount` remain. Returns what could not
  // be removed ("path: reason"), for those who report it.
  static QStringList cacheCleaning(const QString& directory, int maxCount);

  // The file's birth time where the file system keeps one, else its
  // modification time; invalid when the file cannot be read.
  static QDateTime fileCreationDate(const QString& path);
};

}  // namespace dashcard
