#include "core/common/path_existence_cache.h"

#include <QFile>
#include <QHashFunctions>

#include <mutex>
#include <tuple>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

thread_local PathExistenceCache* installed = nullptr;

// The folder part of a path as the path-text helpers cut it: everything
// before the last slash ("/" for a file at the root, "" for a bare name).
QStringView folderOf(QStringView path) {
  qsizetype end = path.size();
  while (end > 1 && path[end - 1] == u'/') {
    --end;
  }
  const qsizetype slash = path.first(end).lastIndexOf(u'/');
  if (slash < 0) {
    return {};
  }
  return slash == 0 ? path.first(1) : path.first(slash);
}

QStringView nameOf(QStringView path) {
  qsizetype end = path.size();
  while (end > 1 && path[end - 1] == u'/') {
    --end;
  }
  const QStringView trimmed = path.first(end);
  return trimmed.sliced(trimmed.lastIndexOf(u'/') + 1);
}

}  // namespace

PathExistenceCache::Probe PathExistenceCache::probeOf(QStringView text) { return {text, qHash(text)}; }

PathExistenceCache::Key PathExistenceCache::keyOf(QString text) {
  const size_t hash = qHash(QStringView(text));
  return {std::move(text), hash};
}

PathExistenceCache::Folder::~Folder() {
  if (fd >= 0) {
    ::close(fd);
  }
}

// Folders with a kept handle; a tree deeper than any card's gets plain
// lookups beyond it rather than running out of descriptors.
constexpr std::size_t kMaxFolderHandles = 64;

const PathExistenceCache::Folder& PathExistenceCache::insert(Key folderPath, std::unique_ptr<const Names> names) {
  int fd = -1;
  std::unique_lock lock(mutex_);
  if (auto it = folders_.find(Probe{folderPath.text, folderPath.hash}); it != folders_.end()) {
    // Another thread listed it first; that listing stays.
    return it->second;
  }
  if (names != nullptr && folders_.size() < kMaxFolderHandles) {
    fd = ::open(folderPath.text.isEmpty() ? "." : QFile::encodeName(folderPath.text).constData(),
                O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  return folders_
      .emplace(std::piecewise_construct, std::forward_as_tuple(std::move(folderPath)),
               std::forward_as_tuple(std::move(names), fd))
      .first->second;
}

void PathExistenceCache::addListing(const QString& folder, const QStringList& names) {
  auto listed = std::make_unique<Names>();
  listed->reserve(static_cast<size_t>(names.size()));
  for (const QString& name : names) {
    listed->insert(keyOf(name));
  }
  insert(keyOf(folder), std::move(listed));
}

const PathExistenceCache::Folder& PathExistenceCache::folder(QStringView folderPath) {
  {
    std::shared_lock lock(mutex_);
    if (auto it = folders_.find(probeOf(folderPath)); it != folders_.end()) {
      return it->second;
    }
  }
  // Listed outside the lock.
  std::unique_ptr<Names> names;
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, Closer> dir(
      ::opendir(folderPath.isEmpty() ? "." : QFile::encodeName(folderPath.toString()).constData()));
  if (dir) {
    names = std::make_unique<Names>();
    while (dirent* entry = ::readdir(dir.get())) {
      const char* entryName = entry->d_name;
      if (entryName[0] == '.' && (entryName[1] == '\0' || (entryName[1] == '.' && entryName[2] == '\0'))) {
        continue;
      }
      names->insert(keyOf(QFile::decodeName(entryName)));
    }
  }
  return insert(keyOf(folderPath.toString()), std::move(names));
}

PathExistenceCache::PathExistenceCache() = default;

PathExistenceCache::~PathExistenceCache() = default;

PathExistenceCache::Scope::Scope(PathExistenceCache* cache) : previous_(installed) { installed = cache; }

PathExistenceCache::Scope::~Scope() { installed = previous_; }

PathExistenceCache* PathExistenceCache::current() { return installed; }

bool PathExistenceCache::exists(QStringView path) {
  if (path.isEmpty()) {
    return false;
  }
  const Folder& entry = folder(folderOf(path));
  return entry.names != nullptr && entry.names->contains(probeOf(nameOf(path)));
}

bool PathExistenceCache::stat(QStringView path, struct stat* info) {
  if (path.isEmpty()) {
    return false;
  }
  const Folder& entry = folder(folderOf(path));
  const QStringView name = nameOf(path);
  if (entry.names == nullptr || !entry.names->contains(probeOf(name))) {
    return false;
  }
  if (entry.fd >= 0) {
    return ::fstatat(entry.fd, QFile::encodeName(name.toString()).constData(), info, 0) == 0;
  }
  return ::stat(QFile::encodeName(path.toString()).constData(), info) == 0;
}

}  // namespace dashcard
