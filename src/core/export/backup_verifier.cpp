#include "core/export/backup_verifier.h"

#include "core/common/main_thread.h"
#include "core/common/parallel_chunks.h"
#include "core/common/regular_file.h"
#include "core/export/checksum_list.h"
#include "core/export/sha256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <vector>

#include <unistd.h>

namespace dashcard {
namespace {

// Every entry below `folder` that is not a folder (links are not followed),
// relative to `root`.
void listFiles(const QString& root, const QString& folder, QStringList& out) {
  const QFileInfoList entries =
      QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
  for (const QFileInfo& entry : entries) {
    if (entry.isDir() && !entry.isSymLink()) {
      listFiles(root, entry.filePath(), out);
    } else {
      out << QDir(root).relativeFilePath(entry.filePath());
    }
  }
}

std::optional<QByteArray> readList(const QString& path, QString* error) {
  struct stat info {};
  const int fd = openRegularFile(path, &info);
  if (fd < 0) {
    *error = errno == ENOENT ? QStringLiteral("%1 has no %2.")
                                   .arg(QFileInfo(path).absolutePath(), QLatin1String(ChecksumList::kFileName))
                             : FileCopier::errorFor(errno, path).message;
    return std::nullopt;
  }
  QFile file;
  if (info.st_size > ChecksumList::kMaxFileSize ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    *error = QStringLiteral("%1: too large or unreadable.").arg(path);
    return std::nullopt;
  }
  return file.read(ChecksumList::kMaxFileSize);
}

}  // namespace

std::shared_ptr<BackupVerifier> BackupVerifier::create() {
  return std::shared_ptr<BackupVerifier>(new BackupVerifier());
}

QString BackupVerifier::kindName(VerifyFinding::Kind kind) {
  switch (kind) {
    case VerifyFinding::Kind::Changed:
      return QStringLiteral("changed");
    case VerifyFinding::Kind::Missing:
      return QStringLiteral("missing");
    case VerifyFinding::Kind::Extra:
      return QStringLiteral("extra");
    case VerifyFinding::Kind::Unreadable:
      return QStringLiteral("unreadable");
    case VerifyFinding::Kind::BadLine:
      return QStringLiteral("malformed");
  }
  return {};
}

std::optional<VerifyReport> BackupVerifier::verify(const QString& folder, QString* error,
                                                   const std::atomic<bool>& cancel, const ProgressBlock& progress) {
  QString problem;
  const QString root = QDir(folder).absolutePath();
  const auto text = readList(QDir(root).filePath(QLatin1String(ChecksumList::kFileName)), &problem);
  if (!text) {
    if (error != nullptr) {
      *error = problem;
    }
    return std::nullopt;
  }
  const ChecksumList::Parsed parsed = ChecksumList::parse(*text);
  VerifyReport report;
  report.listed = static_cast<int>(parsed.entries.size());
  for (const int line : parsed.badLines) {
    report.findings << VerifyFinding{VerifyFinding::Kind::BadLine, QString::number(line),
                                     QStringLiteral("line %1 is not \"<SHA-256>  <path>\"").arg(line)};
  }

  // Each listed file hashed once, on every core; results by index.
  const auto count = static_cast<std::size_t>(parsed.entries.size());
  std::vector<std::optional<VerifyFinding>> outcomes(count);
  const auto check = [&](std::size_t i) {
    const ChecksumEntry& entry = parsed.entries.at(static_cast<qsizetype>(i));
    if (!ChecksumList::isSafeRelativePath(entry.relativePath)) {
      outcomes[i] = VerifyFinding{VerifyFinding::Kind::Unreadable, entry.relativePath,
                                  QStringLiteral("the path leads outside the folder")};
      return;
    }
    FileError failure;
    const auto digest = Sha256::ofFile(QDir(root).filePath(entry.relativePath), Sha256::Source::Cache, &failure,
                                       &cancel);
    if (!digest) {
      outcomes[i] = failure.code == ENOENT
                        ? VerifyFinding{VerifyFinding::Kind::Missing, entry.relativePath, QStringLiteral("missing")}
                        : VerifyFinding{VerifyFinding::Kind::Unreadable, entry.relativePath, failure.message};
    } else if (*digest != entry.digest) {
      outcomes[i] = VerifyFinding{VerifyFinding::Kind::Changed, entry.relativePath,
                                  QStringLiteral("SHA-256 %1, listed %2")
                                      .arg(QString::fromLatin1(*digest), QString::fromLatin1(entry.digest))};
    }
  };
  int lastPercent = -1;
  const auto reportProgress = [&](std::size_t done) {
    const int percent = count == 0 ? 100 : static_cast<int>(done * 100 / count);
    if (progress && percent != lastPercent) {
      lastPercent = percent;
      const QString path = done == 0 ? QString() : parsed.entries.at(static_cast<qsizetype>(done - 1)).relativePath;
      progress(path, static_cast<float>(percent) / 100.0F);
    }
  };
  forEachInParallel(count, 1, check, [&] { return cancel.load(); }, reportProgress);
  if (cancel.load()) {
    if (error != nullptr) {
      *error = QStringLiteral("cancelled");
    }
    return std::nullopt;
  }
  reportProgress(count);  // the last chunks may have ended on a helper thread

  QSet<QString> listed;
  for (std::size_t i = 0; i < count; ++i) {
    const QString& path = parsed.entries.at(static_cast<qsizetype>(i)).relativePath;
    listed.insert(QDir::cleanPath(path));
    if (outcomes[i]) {
      report.findings << *outcomes[i];
    } else {
      ++report.matched;
    }
  }
  QStringList present;
  listFiles(root, root, present);
  for (const QString& path : present) {
    if (path != QLatin1String(ChecksumList::kFileName) && !listed.contains(path)) {
      report.findings << VerifyFinding{VerifyFinding::Kind::Extra, path, QStringLiteral("not listed")};
    }
  }
  return report;
}

void BackupVerifier::verifyAsync(const QString& folder, ProgressBlock progress, DidFinishBlock didFinish) {
  if (!didFinish) {
    didFinish = [](const std::optional<QString>&) {};
  }
  if (isRunning_.exchange(true)) {
    runOnMainThreadAsync([didFinish] { didFinish(QStringLiteral("A check is already running.")); });
    return;
  }
  std::weak_ptr<BackupVerifier> weakSelf = weak_from_this();
  startBackgroundJob([weakSelf, folder, progress = std::move(progress), didFinish = std::move(didFinish)] {
    const auto self = weakSelf.lock();
    if (!self) {
      return;
    }
    const auto onMain = [&](const QString& path, float done) {
      if (progress) {
        runOnMainThread([&] { progress(path, done); }, self->cancelFlag_);
      }
    };
    QString problem;
    const auto report = verify(folder, &problem, self->cancelFlag_, onMain);
    const bool cancelled = self->cancelFlag_.load();
    if (report) {
      self->report_ = *report;
    }
    self->isRunning_ = false;
    if (!cancelled) {
      const std::optional<QString> result = report ? std::nullopt : std::optional<QString>(problem);
      runOnMainThread([&] { didFinish(result); });
    }
  });
}

}  // namespace dashcard
