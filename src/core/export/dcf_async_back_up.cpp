#include "core/export/dcf_async_back_up.h"

#include "core/common/const_class.h"
#include "core/common/atomic_file.h"
#include "core/common/main_thread.h"
#include "core/common/parallel_chunks.h"
#include "core/common/path_text.h"
#include "core/export/sha256.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <QSet>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

// Made with O_EXCL in the target before anything is copied and removed at
// the end: a second backup into the same folder is refused, never mixed in.
const QString kClaimFileName = QStringLiteral(".dashcard-backup-in-progress");

QString filePathOf(const BackUpItem& item) {
  if (const auto* info = std::get_if<DCFInfoPtr>(&item); info != nullptr && *info) {
    return (*info)->filePath();
  }
  if (const auto* picture = std::get_if<PictureInfoPtr>(&item); picture != nullptr && *picture) {
    return (*picture)->filePath();
  }
  return {};
}

// Copies into a folder that is made first, so files of folders outside the
// fixed layout (PARKING) have a place too. With `sums`, the copy's path
// below `root` and its digest are added.
std::optional<FileError> copyInto(const QString& source, const QString& destination, const QString& root,
                                  QList<ChecksumEntry>* sums) {
  if (auto error = FileCopier::makeDirectory(path_text::deletingLastPathComponent(destination))) {
    return error;
  }
  if (sums == nullptr) {
    return FileCopier::copyFile(source, destination);
  }
  Sha256 hash;
  if (auto error = FileCopier::copyFile(source, destination, &hash)) {
    return error;
  }
  sums->append({QDir(root).relativeFilePath(destination), hash.finishHex()});
  return std::nullopt;
}

// Companions are copied only when they are regular files (a FIFO or a
// device in their place is left out like a missing one).
bool isRegularFile(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

}  // namespace

QList<BackUpItem> DCFAsyncBackUp::uniqueItems(const QList<BackUpItem>& items) {
  QList<BackUpItem> unique;
  QSet<QString> seen;
  for (const BackUpItem& item : items) {
    const QString path = filePathOf(item);
    if (path.isEmpty() || seen.contains(path)) {
      continue;
    }
    seen.insert(path);
    unique << item;
  }
  return unique;
}

std::optional<FileError> DCFAsyncBackUp::claimTarget(const QString& target, bool* createdTarget) {
  *createdTarget = false;
  if (auto error = FileCopier::makeDirectory(path_text::deletingLastPathComponent(target))) {
    return error;
  }
  const QByteArray native = QFile::encodeName(target);
  if (::mkdir(native.constData(), 0777) == 0) {
    *createdTarget = true;
  } else if (errno != EEXIST) {
    return FileCopier::errorFor(errno, target);
  }
  const QByteArray claim = QFile::encodeName(path_text::appendingPathComponent(target, kClaimFileName));
  const int fd = ::open(claim.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    const int error = errno;
    if (*createdTarget) {
      ::rmdir(native.constData());  // only while still empty: another run may have claimed it meanwhile
      *createdTarget = false;
    }
    if (error == EEXIST) {
      return FileError{EBUSY, QStringLiteral("%1 is in use by another backup.").arg(target)};
    }
    return FileCopier::errorFor(error, target);
  }
  ::close(fd);
  // Claimed; it must still hold nothing but the claim.
  const QStringList entries = QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  if (entries != QStringList{kClaimFileName}) {
    ::unlink(claim.constData());
    return FileError{ENOTEMPTY, QStringLiteral("%1 is not empty: a backup goes into a new or empty folder.").arg(target)};
  }
  return std::nullopt;
}

std::shared_ptr<DCFAsyncBackUp> DCFAsyncBackUp::create() {
  return std::shared_ptr<DCFAsyncBackUp>(new DCFAsyncBackUp());
}

std::optional<QString> DCFAsyncBackUp::error() const { return error_; }

QString DCFAsyncBackUp::targetProblem(const QString& targetRootDirPath) {
  if (targetRootDirPath.isEmpty()) {
    return QStringLiteral("No backup folder was given.");
  }
  const QFileInfo info(targetRootDirPath);
  if (!info.exists() && !info.isSymLink()) {
    return {};
  }
  if (!info.isDir()) {
    return QStringLiteral("%1 exists and is not a folder.").arg(targetRootDirPath);
  }
  if (!QDir(targetRootDirPath).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
    return QStringLiteral("%1 is not empty: a backup goes into a new or empty folder.").arg(targetRootDirPath);
  }
  return {};
}

quint64 DCFAsyncBackUp::requiredBytes(const QList<BackUpItem>& items) {
  quint64 total = 0;
  const auto size = [](const QString& path) -> quint64 {
    const QFileInfo info(path);
    return path.isEmpty() || !info.isFile() ? 0 : static_cast<quint64>(info.size());
  };
  for (const BackUpItem& item : items) {
    if (const auto* info = std::get_if<DCFInfoPtr>(&item); info != nullptr && *info) {
      total += size((*info)->filePath()) + size((*info)->infoFilePath()) + size((*info)->secondaryFilePath());
    } else if (const auto* picture = std::get_if<PictureInfoPtr>(&item); picture != nullptr && *picture) {
      total += size((*picture)->filePath());
    }
  }
  return total;
}

bool DCFAsyncBackUp::fitsFreeSpace(qint64 freeBytes, quint64 requiredBytes) {
  return freeBytes >= 0 && static_cast<quint64>(freeBytes) > requiredBytes + kFreeSpaceMargin;
}

qint64 DCFAsyncBackUp::freeBytesAt(const QString& path) {
  QFileInfo info(path);
  while (!info.exists() && info.absolutePath() != info.absoluteFilePath()) {
    info = QFileInfo(info.absolutePath());
  }
  const QStorageInfo storage(info.absoluteFilePath());
  return storage.isValid() ? storage.bytesAvailable() : -1;
}

void DCFAsyncBackUp::backUpAsync(const QList<BackUpItem>& items, const QString& targetRootDirPath,
                                 ProgressBlock startProgress, ProgressBlock finishProgress,
                                 DidFinishBlock didFinish) {
  if (isRunning_.exchange(true)) {
    // The backup under way keeps its callbacks; this call still gets its end.
    if (didFinish) {
      runOnMainThreadAsync([didFinish] { didFinish(QStringLiteral("A backup is already running.")); });
    }
    return;
  }
  backupFileList_ = uniqueItems(items);
  targetRootDirPath_ = targetRootDirPath;
  startProgressBlock_ = startProgress ? std::move(startProgress) : [](const QString&, float) {};
  finishProgressBlock_ = finishProgress ? std::move(finishProgress) : [](const QString&, float) {};
  didFinishBlock_ = didFinish ? std::move(didFinish) : [](const std::optional<QString>&) {};
  if (backupFileList_.isEmpty()) {
    // Nothing to copy is done at once, and nothing is written.
    isRunning_ = false;
    runOnMainThreadAsync([finish = didFinishBlock_] { finish(std::nullopt); });
    return;
  }
  std::weak_ptr<DCFAsyncBackUp> weakSelf = weak_from_this();
  startBackgroundJob([weakSelf, items = backupFileList_, targetRootDirPath] {
    if (auto self = weakSelf.lock()) {
      self->run(items, targetRootDirPath);
    }
  });
}

void DCFAsyncBackUp::run(const QList<BackUpItem>& items, const QString& target) {
  std::optional<FileError> error;
  // Until the target is claimed nothing in it is ours: a refused run cleans nothing.
  bool ownsTarget = false;
  bool refused = false;
  if (const QString problem = targetProblem(target); !problem.isEmpty()) {
    error = FileError{EEXIST, problem};
    refused = true;
  } else if (auto claimFailed = claimTarget(target, &ownsTarget)) {
    error = claimFailed;
    refused = true;
  } else {
    const QStringList folders{ConstClass::REG_TX900_FOLDER_NORMAL, ConstClass::REG_TX900_FOLDER_MANUAL,
                              ConstClass::REG_TX900_FOLDER_EVENT};
    QStringList layout;
    for (const QString& folder : folders) {
      layout << path_text::appendingPathComponent(target, folder);
    }
    const QString nmea = path_text::appendingPathComponent(target, ConstClass::REG_RYND_FOLDER_NMEA);
    layout << nmea;
    for (const QString& folder : folders) {
      layout << path_text::appendingPathComponent(nmea, folder);
    }
    for (const QString& folder : layout) {
      if (auto failed = FileCopier::makeDirectory(folder)) {
        error = failed;  // the last failure is the one reported
      }
    }
  }

  QList<ChecksumEntry> sums;
  const auto count = static_cast<float>(items.size());
  for (qsizetype i = 0; !error && i < items.size() && !cancelFlag(); ++i) {
    currentIndex_.store(static_cast<int>(i));
    const BackUpItem& item = items.at(i);
    const QString path = filePathOf(item);
    runOnMainThread([&] { startProgressBlock_(path, static_cast<float>(i) / count); }, cancelFlag_);
    if (const auto* info = std::get_if<DCFInfoPtr>(&item); info != nullptr && *info) {
      error = backUpInfo(**info, target, &sums);
    } else if (const auto* picture = std::get_if<PictureInfoPtr>(&item); picture != nullptr && *picture) {
      error = backUpPictureInfo(**picture, target, &sums);
    }
    if (!error) {
      runOnMainThread([&] { finishProgressBlock_(path, static_cast<float>(i + 1) / count); }, cancelFlag_);
    }
  }

  if (!error && !cancelFlag()) {
    error = verifyCopies(target, sums, cancelFlag_, beforeReadBackHook_);
  }

  // The last look at the cancel flag: a cancel after it is too late to
  // stop anything, and the end is reported all the same.
  const bool cancelled = cancelFlag();
  // The clean-up runs here, not on the main thread: it may remove many files.
  if ((cancelled || error) && !refused) {
    if (ownsTarget) {
      cleanDirectory(target);
    } else {
      // The folder was empty when claimed, and the claim kept others out:
      // all it holds now is the run's.
      const QDir dir(target);
      for (const QFileInfo& entry :
           dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (entry.isDir() && !entry.isSymLink()) {
          cleanDirectory(entry.filePath());
        } else {
          QFile::remove(entry.filePath());
        }
      }
    }
  }
  if (!refused) {
    QFile::remove(path_text::appendingPathComponent(target, kClaimFileName));
  }
  if (error) {
    error_ = error->message;
  }
  isRunning_ = false;
  const std::optional<QString> result = error ? std::optional<QString>(error->message) : std::nullopt;
  if (!cancelled) {
    const DidFinishBlock finish = didFinishBlock_;
    runOnMainThread([&] { finish(result); });
  }
}

std::optional<FileError> DCFAsyncBackUp::backUpInfo(const DCFInfo& info, const QString& targetRootPath,
                                                    QList<ChecksumEntry>* sums) {
  const QString destination = path_text::appendingPathComponent(targetRootPath, info.deltaPath());
  // A vanished front video is a failed backup, not a complete one.
  if (auto error = copyInto(info.filePath(), destination, targetRootPath, sums)) {
    return error;
  }
  const QString telemetry = info.infoFilePath();
  if (isRegularFile(telemetry)) {
    if (auto error = copyInto(telemetry, info.infoFilePathWithRootPath(targetRootPath), targetRootPath, sums)) {
      return error;
    }
  }
  const QString rear = info.secondaryFilePath();
  if (isRegularFile(rear)) {
    const QString rearDestination = path_text::appendingPathComponent(
        path_text::deletingLastPathComponent(destination), path_text::lastPathComponent(rear));
    if (auto error = copyInto(rear, rearDestination, targetRootPath, sums)) {
      return error;
    }
  }
  return std::nullopt;
}

std::optional<FileError> DCFAsyncBackUp::backUpPictureInfo(const PictureInfo& info, const QString& targetRootPath,
                                                           QList<ChecksumEntry>* sums) {
  return copyInto(info.filePath(), path_text::appendingPathComponent(targetRootPath, info.deltaPath()),
                  targetRootPath, sums);
}

std::optional<FileError> DCFAsyncBackUp::verifyCopies(const QString& targetRootPath, const QList<ChecksumEntry>& sums,
                                                      const std::atomic<bool>& cancel,
                                                      const ReadBackHook& beforeReadBack) {
  // The copies are read back on every core: the flushes overlap too.
  std::vector<std::optional<FileError>> failures(static_cast<std::size_t>(sums.size()));
  forEachInParallel(
      failures.size(), 1,
      [&](std::size_t i) {
        const ChecksumEntry& entry = sums.at(static_cast<qsizetype>(i));
        const QString path = path_text::appendingPathComponent(targetRootPath, entry.relativePath);
        if (beforeReadBack) {
          beforeReadBack(path);
        }
        FileError failure;
        const auto digest = Sha256::ofFile(path, Sha256::Source::Device, &failure, &cancel);
        if (!digest) {
          failures[i] = failure;
        } else if (*digest != entry.digest) {
          failures[i] = FileError{EIO, QStringLiteral("%1: the copy reads back differently from the original").arg(path)};
        }
      },
      [&] { return cancel.load(); });
  if (cancel.load()) {
    return std::nullopt;  // the caller sees the flag
  }
  for (const auto& failure : failures) {
    if (failure) {
      return failure;
    }
  }
  const QString listPath = path_text::appendingPathComponent(targetRootPath, QLatin1String(ChecksumList::kFileName));
  QString problem;
  if (!writeFileAtomically(listPath, ChecksumList::format(sums), &problem)) {
    return FileError{EIO, QStringLiteral("%1: %2").arg(listPath, problem)};
  }
  return std::nullopt;
}

void DCFAsyncBackUp::cleanDirectory(const QString& path) {
  QDir dir(path);
  if (QFileInfo(path).isDir()) {
    dir.removeRecursively();
  }
}

}  // namespace dashcard
