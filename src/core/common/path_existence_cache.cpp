#include "core/common/path_existence_cache.h"

#include "core/common/path_text.h"

#include <QFile>

#include <memory>

#include <dirent.h>

namespace dashcard {
namespace {

thread_local PathExistenceCache* installed = nullptr;

std::optional<QSet<QString>> listFolder(const QString& folder) {
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, Closer> dir(::opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData()));
  if (!dir) {
    return std::nullopt;
  }
  QSet<QString> names;
  while (dirent* entry = ::readdir(dir.get())) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
      continue;
    }
    names.insert(QFile::decodeName(name));
  }
  return names;
}

}  // namespace

PathExistenceCache::PathExistenceCache() : previous_(installed) { installed = this; }

PathExistenceCache::~PathExistenceCache() { installed = previous_; }

PathExistenceCache* PathExistenceCache::current() { return installed; }

bool PathExistenceCache::exists(const QString& path) {
  if (path.isEmpty()) {
    return false;
  }
  const QString folder = path_text::deletingLastPathComponent(path);
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    it = folders_.insert(folder, listFolder(folder));
  }
  return it->has_value() && (*it)->contains(path_text::lastPathComponent(path));
}

}  // namespace dashcard
