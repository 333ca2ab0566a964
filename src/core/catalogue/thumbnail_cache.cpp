#include "core/catalogue/thumbnail_cache.h"

#include "core/catalogue/card_scanner.h"
#include "core/common/path_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

// Nanoseconds of the birth time, else of the modification time; -1 when unreadable.
qint64 creationNanoseconds(const QString& path) {
  const QByteArray encoded = QFile::encodeName(path);
  struct statx info {};
  if (::statx(AT_FDCWD, encoded.constData(), 0, STATX_BTIME | STATX_MTIME, &info) == 0) {
    const struct statx_timestamp& stamp = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_mtime;
    return static_cast<qint64>(stamp.tv_sec) * 1000000000 + stamp.tv_nsec;
  }
  struct stat plain {};
  if (::stat(encoded.constData(), &plain) != 0) {
    return -1;
  }
  return static_cast<qint64>(plain.st_mtim.tv_sec) * 1000000000 + plain.st_mtim.tv_nsec;
}

}  // namespace

QString ThumbnailCache::cachesDirectoryPath() {
  // CacheLocation would add the organization before the application name,
  // both "dashcard": one folder named after the application is enough.
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  const QString path = base.isEmpty() ? base : path_text::appendingPathComponent(base, QCoreApplication::applicationName());
  if (!path.isEmpty()) {
    QDir().mkpath(path);
  }
  return path;
}

QStringList ThumbnailCache::cacheFiles(const QString& directory) {
  QStringList files;
  const std::optional<QStringList> names = CardScanner::pathsAtDirectory(directory);
  if (!names) {
    return files;
  }
  for (const QString& name : *names) {
    if (path_text::pathExtension(name) == QLatin1String("jpg")) {
      files.append(path_text::appendingPathComponent(directory, name));
    }
  }
  return files;
}

QStringList ThumbnailCache::cacheCleaning(const QString& directory, int maxCount) {
  QStringList failures;
  const auto remove = [&failures](const QString& path) {
    QFile file(path);
    if (!file.remove()) {
      failures << QStringLiteral("%1: %2").arg(path, file.errorString());
    }
  };
  if (directory.isEmpty()) {
    return failures;
  }
  if (const std::optional<QStringList> names = CardScanner::pathsAtDirectory(directory)) {
    for (const QString& name : *names) {
      const QString extension = path_text::pathExtension(name);
      if (extension == QLatin1String("kml") || extension == QLatin1String("KML") || extension == QLatin1String("kmz") ||
          extension == QLatin1String("KMZ")) {
        remove(path_text::appendingPathComponent(directory, name));
      }
    }
  }
  const QStringList files = cacheFiles(directory);
  if (files.size() < maxCount) {
    return failures;
  }
  struct Entry {
    qint64 created;
    QString path;
  };
  std::vector<Entry> entries;
  entries.reserve(static_cast<size_t>(files.size()));
  for (const QString& path : files) {
    entries.push_back({creationNanoseconds(path), path});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.created < b.created; });
  const qsizetype excess = files.size() - std::max(0, maxCount);
  for (qsizetype i = 0; i < excess; ++i) {
    remove(entries[static_cast<size_t>(i)].path);
  }
  return failures;
}

QDateTime ThumbnailCache::fileCreationDate(const QString& path) {
  const qint64 nanoseconds = path.isEmpty() ? -1 : creationNanoseconds(path);
  if (nanoseconds < 0) {
    return {};
  }
  return QDateTime::fromMSecsSinceEpoch(nanoseconds / 1000000, Qt::UTC);
}

}  // namespace dashcard
