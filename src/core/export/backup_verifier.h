#pragma once

#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace dashcard {

// What a check of a folder against its SHA256SUMS found wrong with one file.
struct VerifyFinding {
  enum class Kind {
    Changed,     // its digest differs
    Missing,     // listed, not there
    Extra,       // there, not listed
    Unreadable,  // listed, but not a readable regular file inside the folder
    BadLine,     // a line of SHA256SUMS that is no "<digest>  <path>"
  };
  Kind kind;
  QString relativePath;  // the line number for BadLine
  QString detail;
};

struct VerifyReport {
  int listed = 0;
  int matched = 0;
  QList<VerifyFinding> findings;
  bool allMatch() const { return findings.isEmpty(); }
};

// Checks a backup, or any folder with a SHA256SUMS file, in the background:
// every listed file is hashed again, and files that the list does not name
// are reported too. One object per run, started once.
class BackupVerifier : public std::enable_shared_from_this<BackupVerifier> {
 public:
  using ProgressBlock = std::function<void(const QString& relativePath, float progress)>;
  // Why the folder could not be checked at all (no SHA256SUMS); empty when
  // it was checked, whatever was found: see report().
  using DidFinishBlock = std::function<void(const std::optional<QString>& error)>;

  static std::shared_ptr<BackupVerifier> create();

  void setCancelFlag(bool cancel) { cancelFlag_.store(cancel); }
  bool isRunning() const { return isRunning_.load(); }
  // The findings; valid once didFinish ran without an error.
  const VerifyReport& report() const { return report_; }

  // Starts the check and returns at once. `didFinish` comes once on the
  // main thread unless cancelled (also for a refused second start).
  void verifyAsync(const QString& folder, ProgressBlock progress, DidFinishBlock didFinish);

  // The check itself, on the calling thread; `progress` runs on it.
  static std::optional<VerifyReport> verify(const QString& folder, QString* error,
                                            const std::atomic<bool>& cancel, const ProgressBlock& progress = {});

  static QString kindName(VerifyFinding::Kind kind);

 private:
  BackupVerifier() = default;

  std::atomic<bool> cancelFlag_{false};
  std::atomic<bool> isRunning_{false};
  VerifyReport report_;
};

}  // namespace dashcard
