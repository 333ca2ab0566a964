#include "core/catalogue/card_scanner.h"

#include "core/common/const_class.h"
#include "core/common/parallel_chunks.h"
#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

// Deeper trees are not a camera's; the limit also bounds the open folders.
constexpr int kMaxDepth = 32;

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId& other) const = default;
};

size_t qHash(const FileId& id, size_t seed = 0) noexcept {
  return ::qHash(static_cast<quint64>(id.inode), seed) ^ ::qHash(static_cast<quint64>(id.device), seed);
}

bool hasExtension(const char* name, size_t length, const std::vector<QByteArray>& extensions) {
  if (extensions.empty()) {
    return true;
  }
  for (const QByteArray& extension : extensions) {
    const auto size = static_cast<size_t>(extension.size());
    // A non-empty stem, a dot, then the extension.
    if (length > size + 1 && name[length - size - 1] == '.' &&
        std::equal(extension.begin(), extension.end(), name + (length - size))) {
      return true;
    }
  }
  return false;
}

// A folder of the card root, walked on a thread of its own.
struct Subtree {
  int fd;
  QString prefix;
  // Where its files go among the root's own files.
  qsizetype at;
  QStringList files;
  QSet<FileId> visited;
  bool walked = false;
};

class Walker {
 public:
  Walker(const QString& rootPath, const std::vector<QByteArray>& extensions, const std::atomic<bool>* cancel,
         PathExistenceCache* listings)
      : rootPath_(rootPath), extensions_(extensions), cancel_(cancel), listings_(listings) {}

  // Folders met at the top level are handed out instead of walked.
  void deferTopLevelFolders(std::vector<Subtree>* subtrees) { subtrees_ = subtrees; }
  void markVisited(const QSet<FileId>& ids) { visited_.unite(ids); }
  QSet<FileId> takeVisited() { return std::move(visited_); }

  void walk(int fd, const QString& prefix, int depth) {
    struct stat self {};
    if (::fstat(fd, &self) != 0) {
      ::close(fd);
      return;
    }
    if (visited_.contains({self.st_dev, self.st_ino})) {
      ::close(fd);
      return;
    }
    visited_.insert({self.st_dev, self.st_ino});
    DirHandle dir(::fdopendir(fd));
    if (!dir) {
      ::close(fd);
      return;
    }
    const int dirFd = ::dirfd(dir.get());
    PathExistenceCache::Listing names;
    if (listings_ != nullptr) {
      names.reserve(static_cast<std::size_t>(std::max<off_t>(self.st_size, 0)));
    }
    while (dirent* entry = ::readdir(dir.get())) {
      if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
        return;
      }
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
        continue;
      }
      const size_t length = std::strlen(name);
      // Camera names are plain ASCII: they are widened as they are, and
      // only other names go through the file-name decoding.
      const bool ascii = std::all_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
      QString decoded;
      if (!ascii) {
        decoded = QFile::decodeName(QByteArray::fromRawData(name, static_cast<qsizetype>(length)));
      }
      if (listings_ != nullptr) {
        if (ascii) {
          names.addAscii(name, length);
        } else {
          names.add(decoded);
        }
      }
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat info {};
        if (::fstatat(dirFd, name, &info, 0) != 0) {
          continue;  // a dangling link or a vanished entry
        }
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
      }
      const auto pathOf = [&] {
        return ascii ? prefix + QLatin1StringView(name, static_cast<qsizetype>(length)) : prefix + decoded;
      };
      if (type == DT_DIR) {
        if (depth + 1 >= kMaxDepth) {
          continue;
        }
        const int child = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (child < 0) {
          continue;  // unreadable folders are left out
        }
        if (subtrees_ != nullptr && depth == 0) {
          subtrees_->push_back({child, pathOf() + u'/', files.size(), {}, {}, false});
          continue;
        }
        walk(child, pathOf() + u'/', depth + 1);
        continue;
      }
      // FIFOs and devices would block whoever opens them.
      if (type == DT_REG && hasExtension(name, length, extensions_)) {
        files.append(pathOf());
      }
    }
    if (listings_ != nullptr) {
      // Spelled the way the companion-file lookups spell a file's folder.
      listings_->addListing(
          path_text::deletingLastPathComponent(path_text::appendingPathComponent(rootPath_, prefix + u'x')),
          std::move(names));
    }
  }

  QStringList files;

 private:
  const QString& rootPath_;
  const std::vector<QByteArray>& extensions_;
  const std::atomic<bool>* cancel_;
  PathExistenceCache* listings_;
  QSet<FileId> visited_;
  std::vector<Subtree>* subtrees_ = nullptr;
};

// The root first, then its folders side by side (a card keeps most of its
// files in two or three of them). Without links or mounts inside the card
// every folder is reached on one path only, and the result is the one
// walk's; when some folder is reached from two top-level folders, the card
// is walked again in one piece so that the first path still wins.
QStringList walkCard(const QString& rootPath, const std::vector<QByteArray>& extensions,
                     const std::atomic<bool>* cancel, PathExistenceCache* listings) {
  const QByteArray encodedRoot = QFile::encodeName(rootPath);
  const auto openRoot = [&] { return ::open(encodedRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); };
  const int fd = openRoot();
  if (fd < 0) {
    return {};
  }
  std::vector<Subtree> subtrees;
  Walker root(rootPath, extensions, cancel, listings);
  root.deferTopLevelFolders(&subtrees);
  root.walk(fd, QString(), 0);
  const QSet<FileId> rootVisited = root.takeVisited();
  forEachInParallel(
      subtrees.size(), 1,
      [&](size_t i) {
        Subtree& subtree = subtrees[i];
        Walker walker(rootPath, extensions, cancel, listings);
        walker.markVisited(rootVisited);
        walker.walk(subtree.fd, subtree.prefix, 1);
        subtree.files = std::move(walker.files);
        subtree.visited = walker.takeVisited();
        subtree.walked = true;
      },
      [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); });
  bool overlap = false;
  QSet<FileId> seen = rootVisited;
  qsizetype total = root.files.size();
  for (Subtree& subtree : subtrees) {
    if (!subtree.walked) {
      ::close(subtree.fd);  // cancelled before its turn
    }
    subtree.visited.subtract(rootVisited);
    overlap = overlap || seen.intersects(subtree.visited);
    seen.unite(subtree.visited);
    total += subtree.files.size();
  }
  if (overlap) {
    const int again = openRoot();
    if (again < 0) {
      return {};
    }
    Walker whole(rootPath, extensions, cancel, listings);
    whole.walk(again, QString(), 0);
    return std::move(whole.files);
  }
  QStringList files;
  files.reserve(total);
  qsizetype next = 0;
  for (const Subtree& subtree : subtrees) {
    files.append(root.files.mid(next, subtree.at - next));
    files.append(subtree.files);
    next = subtree.at;
  }
  files.append(root.files.mid(next));
  return files;
}

}  // namespace

std::optional<QStringList> CardScanner::pathsAtDirectory(const QString& path) {
  if (path.isEmpty()) {
    return std::nullopt;
  }
  DirHandle dir(::opendir(QFile::encodeName(path).constData()));
  if (!dir) {
    return std::nullopt;
  }
  QStringList names;
  while (dirent* entry = ::readdir(dir.get())) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
      continue;
    }
    names.append(QFile::decodeName(name));
  }
  return names;
}

std::optional<QStringList> CardScanner::fullPathsAtDirectory(const QString& path) {
  std::optional<QStringList> names = pathsAtDirectory(path);
  if (!names) {
    return std::nullopt;
  }
  QStringList paths;
  paths.reserve(names->size());
  for (const QString& name : *names) {
    paths.append(path_text::appendingPathComponent(path, name));
  }
  return paths;
}

bool CardScanner::pathIsDirectory(const QString& path) {
  struct stat info {};
  return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CardScanner::mediaIsRynd(const QString& path) {
  const std::optional<QStringList> names = pathsAtDirectory(path);
  if (!names) {
    return false;
  }
  return std::any_of(names->begin(), names->end(), [&](const QString& name) {
    return (ConstClass::fullMatchResultWithTarget(name, ConstClass::REG_TX900_FOLDER) ||
            ConstClass::fullMatchResultWithTarget(name, ConstClass::REG_RYND_ROOT_FOLDER)) &&
           pathIsDirectory(path_text::appendingPathComponent(path, name));
  });
}

QStringList CardScanner::recursiveFilesAtRootPath(const QString& rootPath, const QStringList& extensions,
                                                  const std::atomic<bool>* cancel, PathExistenceCache* listings) {
  std::vector<QByteArray> encoded;
  encoded.reserve(static_cast<size_t>(extensions.size()));
  for (const QString& extension : extensions) {
    encoded.push_back(QFile::encodeName(extension));
  }
  return walkCard(rootPath, encoded, cancel, listings);
}

CardScanner::PreparedFiles CardScanner::prepareLoadFilesAtRootPath(const QString& rootPath) const {
  PreparedFiles prepared;
  // The extension filter runs inside the listing, so only candidates are
  // ever turned into text.
  // The folder listings of the walk answer the companion-file lookups later.
  listings_ = std::make_shared<PathExistenceCache>();
  // One walk for both kinds; they are told apart by extension.
  QStringList candidates = recursiveFilesAtRootPath(
      rootPath, ConstClass::REG_RYND_FILE_VIDE_EXTENIONS + ConstClass::REG_TX900_FILE_PIC_EXTENSIONS, cancel_,
      listings_.get());
  QStringList movies;
  QStringList pictures;
  movies.reserve(candidates.size());
  for (QString& path : candidates) {
    const bool picture = ConstClass::REG_TX900_FILE_PIC_EXTENSIONS.contains(path.section(u'.', -1));
    (picture ? pictures : movies).append(std::move(path));
  }
  prepared.total = static_cast<std::uint64_t>(movies.size() + pictures.size());
  if (!movies.isEmpty()) {
    prepared.movieFiles = std::move(movies);
  }
  if (!pictures.isEmpty()) {
    prepared.pictureFiles = std::move(pictures);
  }
  // Every recording finds its own telemetry file.
  return prepared;
}

PictureInfoList CardScanner::loadPicturesAtRootPath(const QString& rootPath, const std::optional<QStringList>& files,
                                                    const QString& foldernameRegexPattern,
                                                    const QString& pictureFilenameRegexPattern) const {
  PictureInfoList pictures;
  if (!files) {
    return pictures;
  }
  for (const QString& relative : *files) {
    if (cancelled()) {
      return {};
    }
    if (ConstClass::fullMatchResultWithTarget(path_text::deletingLastPathComponent(relative), foldernameRegexPattern) &&
        ConstClass::fullMatchResultWithTarget(path_text::lastPathComponent(relative), pictureFilenameRegexPattern)) {
      auto picture = std::make_shared<PictureInfo>(rootPath, relative);
      picture->setPictureThumbnailPath(picture->filePath());
      pictures.append(std::move(picture));
    }
  }
  std::stable_sort(pictures.begin(), pictures.end(), [](const PictureInfoPtr& a, const PictureInfoPtr& b) {
    return a->picFileNumber() < b->picFileNumber();
  });
  return pictures;
}

void CardScanner::attachPictures(const PictureInfoList& pictures, const DCFInfoList& recordings) {
  for (const PictureInfoPtr& picture : pictures) {
    const qint64 taken = picture->fileDate().toSecsSinceEpoch();
    for (const DCFInfoPtr& recording : recordings) {
      if (recording->fileDate().toSecsSinceEpoch() > taken) {
        picture->setParentDCFInfo(recording);
        recording->appendPicture(picture);
        break;
      }
    }
  }
}

DCFInfoList CardScanner::loadMovieAtRootPath(const QString& rootPath, const std::optional<QStringList>& files,
                                             const QString& foldernameRegexPattern,
                                             const QString& videoFilenameRegexPattern, const Progress& progress,
                                             std::uint64_t total) const {
  DCFInfoList recordings;
  if (!files) {
    return recordings;
  }
  if (total == 0) {
    total = static_cast<std::uint64_t>(files->size());
  }
  // The recordings are built on every core, name rules included: each
  // costs a few file-system calls and two pattern matches, and on a card of
  // ten thousand clips those dominate the scan. Slots keep the list order.
  const auto candidateCount = static_cast<size_t>(files->size());
  std::vector<DCFInfoPtr> taken(candidateCount);
  // The folder test first, in one pass: the walk lists a folder's files
  // together, so the pattern runs once per folder rather than per file.
  std::vector<bool> inRecordingFolder(candidateCount);
  {
    QStringView lastFolder;
    bool lastResult = false;
    for (size_t i = 0; i < candidateCount; ++i) {
      const QStringView folder = path_text::deletingLastPathComponentView(files->at(static_cast<qsizetype>(i)));
      if (i == 0 || folder != lastFolder) {
        lastFolder = folder;
        lastResult = ConstClass::fullMatchResultWithTarget(QString::fromRawData(folder.data(), folder.size()),
                                                           foldernameRegexPattern);
      }
      inRecordingFolder[i] = lastResult;
    }
  }

  // Companion files are looked up in folder listings, not one stat each;
  // the listings are shared by the helpers.
  const std::shared_ptr<PathExistenceCache> listings = listingsForScan();
  forEachInParallel(
      candidateCount, 64,
      [&](size_t i) {
        if (!inRecordingFolder[i]) {
          return;
        }
        const QString& relative = files->at(static_cast<qsizetype>(i));
        const QStringView name = path_text::lastPathComponentView(relative);
        // Matched in place: no copy of ten thousand names.
        if (ConstClass::fullMatchResultWithTarget(QString::fromRawData(name.data(), name.size()),
                                                  videoFilenameRegexPattern)) {
          taken[i] = std::make_shared<DCFInfo>(
              rootPath, relative,
              DCFInfo::factsOf(path_text::appendingPathComponent(rootPath, relative), listings.get()));
        }
      },
      [this] { return cancelled(); },
      [&](size_t done) {
        if (progress) {
          progress(static_cast<std::uint64_t>(done), total, false);
        }
      });
  if (cancelled()) {
    return recordings;
  }
  if (progress) {
    progress(static_cast<std::uint64_t>(candidateCount), total, true);
  }
  // Sorted by file name, each name cut out once (views into the recording's own path).
  struct Named {
    QStringView name;
    DCFInfoPtr info;
  };
  std::vector<Named> named;
  named.reserve(candidateCount);
  for (DCFInfoPtr& info : taken) {
    if (info != nullptr) {
      const QStringView name = path_text::lastPathComponentView(info->deltaPath());
      named.push_back({name, std::move(info)});
    }
  }
  std::vector<DCFInfoPtr>().swap(taken);
  std::stable_sort(named.begin(), named.end(), [](const Named& a, const Named& b) { return a.name < b.name; });
  recordings.reserve(static_cast<qsizetype>(named.size()));
  for (Named& item : named) {
    recordings.append(std::move(item.info));
  }
  return recordings;
}

CardScanner::Result CardScanner::scan(const QString& rootPath, const Progress& progress) const {
  Result result;
  if (!mediaIsRynd(rootPath)) {
    return result;
  }
  result.scanned = true;
  const PreparedFiles prepared = prepareLoadFilesAtRootPath(rootPath);
  result.pictures = loadPicturesAtRootPath(rootPath, prepared.pictureFiles, ConstClass::REG_TX900_FOLDER,
                                           ConstClass::REG_TX900_FILE_PIC);
  // The pictures count as done before the first video.
  const auto pictureCount = static_cast<std::uint64_t>(prepared.pictureFiles ? prepared.pictureFiles->size() : 0);
  Progress afterPictures;
  if (progress) {
    afterPictures = [&](std::uint64_t processed, std::uint64_t total, bool force) {
      progress(processed + pictureCount, total, force);
    };
  }
  result.recordings = loadMovieAtRootPath(rootPath, prepared.movieFiles, ConstClass::REG_TX900_FOLDER,
                                          ConstClass::REG_RYND_FILE_VIDEO, afterPictures, prepared.total);
  attachPictures(result.pictures, result.recordings);
  return result;
}

std::shared_ptr<PathExistenceCache> CardScanner::listingsForScan() const {
  if (!listings_) {
    listings_ = std::make_shared<PathExistenceCache>();
  }
  return listings_;
}

}  // namespace dashcard
