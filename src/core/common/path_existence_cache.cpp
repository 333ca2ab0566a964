#include "core/common/path_existence_cache.h"

#include <QFile>
#include <QHashFunctions>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <tuple>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace dashcard {
namespace {

constexpr unsigned long kMsdosSuperMagic = 0x4d44;
constexpr unsigned long kExfatSuperMagic = 0x2011BAB0;
std::atomic<std::uint64_t> nextSerial{1};

std::size_t hashOf(QStringView text) { return qHash(text, 0); }

// Names are kept with 32 bits of their hash: enough to place them in a
// folder's table and to skip most comparisons.
std::uint32_t nameHashOf(QStringView name) { return static_cast<std::uint32_t>(hashOf(name)); }

// A path cut at its last slash as the path-text helpers cut it: the folder
// ("/" for a file at the root, "" for a bare name) and the name, trailing
// slashes ignored.
struct PathParts {
  QStringView folder;
  QStringView name;
};

PathParts partsOf(QStringView path) {
  qsizetype end = path.size();
  while (end > 1 && path[end - 1] == u'/') {
    --end;
  }
  const QStringView trimmed = path.first(end);
  const qsizetype slash = trimmed.lastIndexOf(u'/');
  if (slash < 0) {
    return {{}, trimmed};
  }
  return {slash == 0 ? trimmed.first(1) : trimmed.first(slash), trimmed.sliced(slash + 1)};
}

// The file-system spelling of a name, without building strings for the
// usual plain-ASCII one.
class EncodedName {
 public:
  explicit EncodedName(QStringView name) {
    if (static_cast<std::size_t>(name.size()) < inline_.size()) {
      bool ascii = true;
      for (qsizetype i = 0; i < name.size() && ascii; ++i) {
        const char16_t c = name[i].unicode();
        ascii = c != 0 && c < 0x80;
        inline_[static_cast<std::size_t>(i)] = static_cast<char>(c);
      }
      if (ascii) {
        inline_[static_cast<std::size_t>(name.size())] = '\0';
        text_ = inline_.data();
        return;
      }
    }
    encoded_ = QFile::encodeName(name.toString());
    text_ = encoded_.constData();
  }
  const char* c_str() const { return text_; }

 private:
  std::array<char, 256> inline_{};
  QByteArray encoded_;
  const char* text_ = nullptr;
};

}  // namespace

// One folder's names in an open-addressing table over the listing's shared
// text: a lookup touches one slot and, on a hash match, the name itself.
class PathExistenceCache::Names {
 public:
  Names(Listing&& listing, bool foldCase) : text_(std::move(listing.text_)), foldCase_(foldCase) {
    if (foldCase_) {
      for (Listing::Name& name : listing.names_) {
        name.hash = hashKey(QStringView(text_).sliced(name.offset, name.length));
      }
    }
    // At most two thirds full: a hit takes a probe or two, and the table
    // stays small (its pages are fresh memory, which costs).
    const std::size_t count = listing.names_.size();
    const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(8, count + count / 2));
    slots_.resize(capacity);
    mask_ = capacity - 1;
    for (const Listing::Name& name : listing.names_) {
      const QStringView text = QStringView(text_).sliced(name.offset, name.length);
      if (!containsAt(name.hash, text)) {
        std::size_t at = name.hash & mask_;
        while (slots_[at].length != 0) {
          at = (at + 1) & mask_;
        }
        slots_[at] = name;
        noteEnding(text);
      }
    }
  }

  bool contains(QStringView name) const {
    if (name.isEmpty()) {
      return false;
    }
    // Most misses ask for a kind of file the folder does not hold at all
    // (telemetry next to the videos): those need no hashing.
    if (!endingsOverflowed_ && !holdsEnding(endingOf(name))) {
      return false;
    }
    return containsAt(hashKey(name), name);
  }

 private:
  // The extension with its dot; empty for a name without one.
  static QStringView endingOf(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QStringView() : name.sliced(dot);
  }

  bool holdsEnding(QStringView ending) const {
    return std::any_of(endings_.begin(), endings_.end(),
                       [&](const QString& known) { return QStringView(known).compare(ending, sensitivity()) == 0; });
  }

  Qt::CaseSensitivity sensitivity() const { return foldCase_ ? Qt::CaseInsensitive : Qt::CaseSensitive; }
  // The table's hash: of the case-folded name where case does not count.
  std::uint32_t hashKey(QStringView name) const {
    return foldCase_ ? nameHashOf(name.toString().toCaseFolded()) : nameHashOf(name);
  }

  void noteEnding(QStringView name) {
    const QStringView ending = endingOf(name);
    if (endingsOverflowed_ || holdsEnding(ending)) {
      return;
    }
    // A folder of many kinds of file gets plain lookups.
    if (endings_.size() == kMostEndings) {
      endingsOverflowed_ = true;
      endings_.clear();
      return;
    }
    endings_.push_back(ending.toString());
  }

  static constexpr std::size_t kMostEndings = 8;
  std::vector<QString> endings_;
  bool endingsOverflowed_ = false;

  bool containsAt(std::uint32_t hash, QStringView name) const {
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
      const Listing::Name& slot = slots_[at];
      if (slot.length == 0) {
        return false;
      }
      if (slot.hash == hash && QStringView(text_).sliced(slot.offset, slot.length).compare(name, sensitivity()) == 0) {
        return true;
      }
    }
  }

  QString text_;
  bool foldCase_;
  // Empty slots have length 0: a folder entry always has a name.
  std::vector<Listing::Name> slots_;
  std::size_t mask_ = 0;
};

void PathExistenceCache::Listing::added(std::size_t start) {
  const std::size_t end = static_cast<std::size_t>(text_.size());
  if (end == start) {
    return;
  }
  if (end > std::numeric_limits<std::uint32_t>::max()) {
    overflowed_ = true;
    return;
  }
  const QStringView name = QStringView(text_).sliced(static_cast<qsizetype>(start));
  names_.push_back({nameHashOf(name), static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)});
}

void PathExistenceCache::Listing::reserve(std::size_t bytes) {
  // A guess from the disk must not make a huge allocation.
  constexpr std::size_t kMostReserved = std::size_t{16} << 20;
  bytes = std::min(bytes, kMostReserved);
  text_.reserve(static_cast<qsizetype>(bytes));
  // A directory entry takes a few dozen bytes on most file systems.
  names_.reserve(bytes / 24);
}

void PathExistenceCache::Listing::add(QStringView name) {
  const auto start = static_cast<std::size_t>(text_.size());
  text_.append(name);
  added(start);
}

void PathExistenceCache::Listing::addAscii(const char* name, std::size_t length) {
  const auto start = static_cast<std::size_t>(text_.size());
  text_.append(QLatin1StringView(name, static_cast<qsizetype>(length)));
  added(start);
}

PathExistenceCache::Folder::Folder(std::unique_ptr<const Names> listed, int handle, bool tooLarge)
    : names(std::move(listed)), fd(handle), unlisted(tooLarge) {}

PathExistenceCache::Folder::~Folder() {
  if (fd >= 0) {
    ::close(fd);
  }
}

// Folders with a kept handle; a tree deeper than any card's gets plain
// lookups beyond it rather than running out of descriptors.
constexpr std::size_t kMaxFolderHandles = 64;

const PathExistenceCache::Folder& PathExistenceCache::insert(QString folderPath, std::size_t hash, Listing listing,
                                                             bool listed) {
  const bool tooLarge = listed && listing.overflowed_;
  std::unique_ptr<const Names> names;
  if (listed && !tooLarge) {
    names = std::make_unique<const Names>(std::move(listing), foldsCase_(folderPath));
  }
  int fd = -1;
  std::unique_lock lock(mutex_);
  if (auto it = folders_.find(Probe{folderPath, hash}); it != folders_.end()) {
    // Another thread listed it first; that listing stays.
    return it->second;
  }
  if (names != nullptr && folders_.size() < kMaxFolderHandles) {
    fd = ::open(folderPath.isEmpty() ? "." : QFile::encodeName(folderPath).constData(),
                O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  return folders_
      .emplace(std::piecewise_construct, std::forward_as_tuple(Key{std::move(folderPath), hash}),
               std::forward_as_tuple(std::move(names), fd, tooLarge))
      .first->second;
}

void PathExistenceCache::addListing(const QString& folder, Listing listing) {
  insert(folder, hashOf(folder), std::move(listing), true);
}

const PathExistenceCache::Folder& PathExistenceCache::lookUp(QStringView folderPath) {
  const std::size_t hash = hashOf(folderPath);
  {
    std::shared_lock lock(mutex_);
    if (auto it = folders_.find(Probe{folderPath, hash}); it != folders_.end()) {
      return it->second;
    }
  }
  // Listed outside the lock.
  Listing listing;
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, Closer> dir(
      ::opendir(folderPath.isEmpty() ? "." : QFile::encodeName(folderPath.toString()).constData()));
  if (dir) {
    while (dirent* entry = ::readdir(dir.get())) {
      const char* entryName = entry->d_name;
      if (entryName[0] == '.' && (entryName[1] == '\0' || (entryName[1] == '.' && entryName[2] == '\0'))) {
        continue;
      }
      listing.add(QFile::decodeName(entryName));
    }
  }
  return insert(folderPath.toString(), hash, std::move(listing), dir != nullptr);
}

const PathExistenceCache::Folder& PathExistenceCache::folder(QStringView folderPath) {
  // Lookups come in runs over the same few folders (a recording's own, its
  // telemetry folder); remembering them per thread spares the shared lock,
  // whose counter the helper threads would otherwise pass back and forth.
  struct Recent {
    std::uint64_t serial = 0;
    QString path;
    const Folder* folder = nullptr;
  };
  thread_local std::array<Recent, 4> recent;
  thread_local std::size_t nextSlot = 0;
  for (const Recent& seen : recent) {
    if (seen.serial == serial_ && seen.path.size() == folderPath.size() && seen.path == folderPath) {
      return *seen.folder;
    }
  }
  const Folder& found = lookUp(folderPath);
  Recent& slot = recent[nextSlot++ % recent.size()];
  slot = {serial_, folderPath.toString(), &found};
  return found;
}

PathExistenceCache::PathExistenceCache(CaseRule foldsCase)
    : serial_(nextSerial++), foldsCase_(foldsCase ? std::move(foldsCase) : CaseRule(foldsCaseOnDisk)) {}

bool PathExistenceCache::foldsCaseOnDisk(const QString& folder) {
  const QByteArray path = folder.isEmpty() ? QByteArray(".") : QFile::encodeName(folder);
  struct statfs volume {};
  if (::statfs(path.constData(), &volume) == 0) {
    const auto type = static_cast<unsigned long>(volume.f_type);
    if (type == kMsdosSuperMagic || type == kExfatSuperMagic) {
      return true;
    }
  }
  const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  int flags = 0;
  const bool folded = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
  ::close(fd);
  return folded;
}

PathExistenceCache::~PathExistenceCache() = default;

bool PathExistenceCache::exists(QStringView path) {
  if (path.isEmpty()) {
    return false;
  }
  const PathParts parts = partsOf(path);
  const Folder& entry = folder(parts.folder);
  if (entry.unlisted) {
    struct stat info {};
    return ::stat(QFile::encodeName(path.toString()).constData(), &info) == 0;
  }
  return entry.names != nullptr && entry.names->contains(parts.name);
}

bool PathExistenceCache::statx(QStringView path, unsigned int mask, struct statx* info) {
  if (path.isEmpty()) {
    return false;
  }
  const auto [folderPath, name] = partsOf(path);
  const Folder& entry = folder(folderPath);
  if (!entry.unlisted && (entry.names == nullptr || !entry.names->contains(name))) {
    return false;
  }
  if (entry.fd >= 0) {
    return ::statx(entry.fd, EncodedName(name).c_str(), 0, mask, info) == 0;
  }
  return ::statx(AT_FDCWD, QFile::encodeName(path.toString()).constData(), 0, mask, info) == 0;
}

}  // namespace dashcard
