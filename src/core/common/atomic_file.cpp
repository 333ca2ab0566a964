#include "core/common/atomic_file.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

std::atomic<int> injectedFailure{0};

bool fail(QString* errorText, const QString& what, int error) {
  if (errorText != nullptr) {
    *errorText = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
  }
  return false;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const QString& path, bool syncToDisk) : path_(path), syncToDisk_(syncToDisk) {}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::open(QString* errorText) {
  discard();
  const QFileInfo target(path_);
  targetPath_ = QFile::encodeName(target.absoluteFilePath());
  // "." + name + ".xxxxxxxx.tmp" stays within a name's limit even for a
  // target name that uses it all: the name part is shortened.
  constexpr qsizetype kDecoration = 14;
  const QByteArray name = QFile::encodeName(target.fileName()).left(NAME_MAX - kDecoration);
  const QByteArray folder = QFile::encodeName(target.absolutePath());
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    tempPath_ = folder + "/." + name + '.' +
                QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0') + ".tmp";
    fd_ = ::open(tempPath_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd_ < 0) {
    const int error = errno;
    tempPath_.clear();
    return fail(errorText, QStringLiteral("Cannot create a file in %1").arg(target.absolutePath()), error);
  }
  error_ = 0;
  // Keep the permissions of the file being replaced.
  struct stat old {};
  if (::stat(targetPath_.constData(), &old) == 0) {
    ::fchmod(fd_, old.st_mode & 07777);
  }
  return true;
}

bool AtomicFileWriter::write(const char* data, qsizetype size) {
  if (fd_ < 0) {
    error_ = error_ != 0 ? error_ : EBADF;
    return false;
  }
  while (size > 0 && error_ == 0) {
    const ssize_t written = ::write(fd_, data, static_cast<size_t>(size));
    if (written < 0) {
      if (errno != EINTR) {
        error_ = errno;
      }
      continue;
    }
    data += written;
    size -= written;
  }
  return error_ == 0;
}

bool AtomicFileWriter::copyFrom(int fd, qint64 offset, qint64 length) {
  if (fd_ < 0) {
    error_ = error_ != 0 ? error_ : EBADF;
    return false;
  }
  bool kernelCopy = true;
  QByteArray buffer;
  while (length > 0 && error_ == 0) {
    ssize_t copied = -1;
    if (kernelCopy) {
      off64_t from = offset;
      copied = ::copy_file_range(fd, &from, fd_, nullptr, static_cast<size_t>(length), 0);
      if (copied < 0 && errno != EINTR) {
        // Other file systems, old kernels: copy through a buffer instead.
        kernelCopy = false;
        continue;
      }
    } else {
      if (buffer.isEmpty()) {
        buffer.resize(1 << 20);
      }
      copied = ::pread(fd, buffer.data(), static_cast<size_t>(std::min<qint64>(length, buffer.size())), offset);
      if (copied > 0 && !write(buffer.constData(), copied)) {
        break;
      }
    }
    if (copied < 0) {
      if (errno != EINTR) {
        error_ = errno;
      }
      continue;
    }
    if (copied == 0) {
      error_ = EIO;  // the source ended early (cut or shrunk meanwhile)
      break;
    }
    offset += copied;
    length -= copied;
  }
  return error_ == 0;
}

bool AtomicFileWriter::commit(QString* errorText) {
  if (fd_ < 0) {
    return fail(errorText, QStringLiteral("Cannot write %1").arg(QFileInfo(path_).absoluteFilePath()),
                error_ != 0 ? error_ : EBADF);
  }
  int error = error_ != 0 ? error_ : injectedFailure.load();
  if (error == 0 && syncToDisk_ && ::fsync(fd_) != 0) {
    error = errno;
  }
  if (::close(fd_) != 0 && error == 0) {
    error = errno;
  }
  fd_ = -1;
  if (error == 0 && ::rename(tempPath_.constData(), targetPath_.constData()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(tempPath_.constData());
    tempPath_.clear();
    return fail(errorText, QStringLiteral("Cannot write %1").arg(QFileInfo(path_).absoluteFilePath()), error);
  }
  tempPath_.clear();
  return true;
}

qint64 AtomicFileWriter::seek(qint64 offset, int whence) {
  if (fd_ < 0 || error_ != 0) return -1;
  return ::lseek(fd_, offset, whence);
}

qint64 AtomicFileWriter::size() const {
  struct stat status {};
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) return -1;
  return status.st_size;
}

void AtomicFileWriter::setInjectedFailureForTest(int error) { injectedFailure.store(error); }

void AtomicFileWriter::discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.isEmpty()) {
    ::unlink(tempPath_.constData());
    tempPath_.clear();
  }
}

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* errorText, bool syncToDisk) {
  AtomicFileWriter writer(path, syncToDisk);
  if (!writer.open(errorText)) {
    return false;
  }
  writer.write(data.constData(), data.size());
  return writer.commit(errorText);
}

}  // namespace dashcard
