#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"
#include "core/export/checksum_list.h"
#include "core/export/file_copier.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace dashcard {

// One thing to back up: a recording (front and rear video, telemetry file)
// or a still picture. An empty pointer is skipped.
using BackUpItem = std::variant<DCFInfoPtr, PictureInfoPtr>;

// Copies recordings and pictures into a new folder with the card's layout,
// in the background. One object per run, started once.
//
// Layout under the target T: T/NORMAL, T/MANUAL, T/EVENT, T/NMEA and
// T/NMEA/{NORMAL,MANUAL,EVENT}, made even when empty, plus the folder of
// every copied file (PARKING among them). Copies never overwrite. A missing
// telemetry file or rear video is tolerated; a missing front video or
// picture fails the run. The run claims T before it writes (a second run
// into T is refused); on failure or cancel everything the run wrote is
// removed; T itself only when the run created it. An item named twice is
// copied once. A cancel after the run's
// last look at it stops nothing, and the end is still reported.
//
// Each file is hashed as it is copied; once all are copied they are read
// back from the device and compared, and only then T/SHA256SUMS is written
// and the run reported complete: a copy that reads back differently fails it.
class DCFAsyncBackUp : public std::enable_shared_from_this<DCFAsyncBackUp> {
 public:
  // (file path of the item, progress 0..1)
  using ProgressBlock = std::function<void(const QString& filePath, float progress)>;
  // The reason of a failure; empty on success.
  using DidFinishBlock = std::function<void(const std::optional<QString>& error)>;

  static std::shared_ptr<DCFAsyncBackUp> create();

  bool cancelFlag() const { return cancelFlag_.load(); }
  void setCancelFlag(bool cancel) { cancelFlag_.store(cancel); }
  bool isRunning() const { return isRunning_.load(); }
  // Set by the run: the error it ended with, what it was given, the item it is at.
  std::optional<QString> error() const;
  const QList<BackUpItem>& backupFileList() const { return backupFileList_; }
  const QString& targetRootDirPath() const { return targetRootDirPath_; }
  int currentIndex() const { return currentIndex_.load(); }

  // Starts the run and returns at once. `startProgress` comes before each
  // item with position / count, `finishProgress` after it with
  // (position + 1) / count, `didFinish` once at the end unless cancelled:
  // at once with success for no items, with an error for a call made while
  // a backup runs (that one goes on with its own callbacks). Callbacks run
  // on the main thread; the run waits for each.
  void backUpAsync(const QList<BackUpItem>& items, const QString& targetRootDirPath, ProgressBlock startProgress,
                   ProgressBlock finishProgress, DidFinishBlock didFinish);

  // Copies one recording / one picture under `targetRootPath`; `sums`, when
  // given, gets each copied file's path below it and digest.
  static std::optional<FileError> backUpInfo(const DCFInfo& info, const QString& targetRootPath,
                                             QList<ChecksumEntry>* sums = nullptr);
  static std::optional<FileError> backUpPictureInfo(const PictureInfo& info, const QString& targetRootPath,
                                                    QList<ChecksumEntry>* sums = nullptr);
  // The items without empty ones and without repeats of a file, in order.
  static QList<BackUpItem> uniqueItems(const QList<BackUpItem>& items);
  // Makes `target` (and its parents) or takes it when it is an empty
  // folder, and marks it as this run's with a file only one run can create.
  // `createdTarget` says whether the folder was made here.
  static std::optional<FileError> claimTarget(const QString& target, bool* createdTarget);
  // Reads every copy in `sums` back from the device and compares it; when
  // all match, writes them to `targetRootPath`/SHA256SUMS. A mismatch names the file.
  using ReadBackHook = std::function<void(const QString& copyPath)>;
  static std::optional<FileError> verifyCopies(const QString& targetRootPath, const QList<ChecksumEntry>& sums,
                                               const std::atomic<bool>& cancel, const ReadBackHook& beforeReadBack = {});
  // For tests: runs on the worker for every copy just before it is read
  // back (to damage it as a failing device would).
  void setBeforeReadBackHook(ReadBackHook hook) { beforeReadBackHook_ = std::move(hook); }
  // Removes the folder at `path` with its contents; errors are ignored.
  static void cleanDirectory(const QString& path);
  // Why `targetRootDirPath` cannot take a backup (a file, or a folder that
  // is not empty: the clean-up must never remove what the run did not
  // write); empty when it can.
  static QString targetProblem(const QString& targetRootDirPath);
  // Bytes the items would copy (files that exist).
  static quint64 requiredBytes(const QList<BackUpItem>& items);
  // The one free-space rule of a backup, the window's and the command
  // line's: the target keeps kFreeSpaceMargin free beyond the files, and an
  // unknown free space (`freeBytes` < 0) is refused.
  static constexpr quint64 kFreeSpaceMargin = 0x100000;
  static bool fitsFreeSpace(qint64 freeBytes, quint64 requiredBytes);
  // Free bytes of the volume that holds `path` or its nearest existing
  // folder; -1 when unknown.
  static qint64 freeBytesAt(const QString& path);

 private:
  DCFAsyncBackUp() = default;
  void run(const QList<BackUpItem>& items, const QString& target);

  std::atomic<bool> cancelFlag_{false};
  std::atomic<bool> isRunning_{false};
  std::atomic<int> currentIndex_{0};
  std::optional<QString> error_;
  QList<BackUpItem> backupFileList_;
  QString targetRootDirPath_;
  ProgressBlock startProgressBlock_;
  ProgressBlock finishProgressBlock_;
  DidFinishBlock didFinishBlock_;
  ReadBackHook beforeReadBackHook_;
};

}  // namespace dashcard
