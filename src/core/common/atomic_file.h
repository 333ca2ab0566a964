#pragma once

#include <QByteArray>
#include <QString>

namespace dashcard {

// Writes `data` to `path` through a temporary file in the same folder that is
// renamed over the target once everything reached the disk, so the target is
// either the old file or the complete new one. Every short write, a full disk
// and a failed close count as failure; the temporary file is then removed.
// `errorText` (optional) gets a readable reason. `syncToDisk` waits until the
// data is on the disk before the rename (files on removable cards); without
// it the rename still never shows a partial file to readers.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* errorText = nullptr,
                         bool syncToDisk = true);

// The same in steps, for contents made piece by piece: `open` creates the
// temporary file, `write` appends (a failure sticks and is reported by
// `commit`), `commit` renames it over the target. A writer destroyed or
// discarded before `commit` leaves the target untouched and removes the
// temporary file. Any thread, one at a time.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const QString& path, bool syncToDisk = true);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool open(QString* errorText = nullptr);
  bool write(const char* data, qsizetype size);
  // Appends `length` bytes of the open file `fd` from `offset`, copied by
  // the kernel where it can (no pass through this process); a source
  // shorter than that is a failure.
  bool copyFrom(int fd, qint64 offset, qint64 length);
  bool commit(QString* errorText = nullptr);
  void discard();
  // For writers that go back to patch a header (a video's index): moves the
  // write position as lseek does (SEEK_SET/CUR/END) and returns it, -1 on
  // failure; the size written so far; the errno of the first failed write.
  qint64 seek(qint64 offset, int whence);
  qint64 size() const;
  int lastError() const { return error_; }

  // For tests: while not 0, every commit fails with this errno as a failed
  // write of the temporary file would (a full disk, a pulled card), so the
  // old-file guarantee is proven without root. 0 turns it off.
  static void setInjectedFailureForTest(int error);

 private:
  QString path_;
  bool syncToDisk_;
  QByteArray targetPath_;
  QByteArray tempPath_;
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace dashcard
