#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

namespace dashcard {

// Answers "does this path exist?" from one listing per folder instead of
// one system call per question. A scan installs one on its thread for its
// duration; the companion-file lookups then ask it. Files appearing in a
// folder after it was listed are not seen, which is what a scan wants.
class PathExistenceCache {
 public:
  PathExistenceCache();
  ~PathExistenceCache();
  PathExistenceCache(const PathExistenceCache&) = delete;
  PathExistenceCache& operator=(const PathExistenceCache&) = delete;

  // The cache installed on this thread, or null.
  static PathExistenceCache* current();

  bool exists(const QString& path);

 private:
  PathExistenceCache* previous_;
  // Folder path -> names of its entries; nullopt when it cannot be listed.
  QHash<QString, std::optional<QSet<QString>>> folders_;
};

}  // namespace dashcard
