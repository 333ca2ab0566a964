#include "core/export/file_copier.h"

#include "core/common/regular_file.h"
#include "core/export/sha256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

// Closes a descriptor once; keeps the first error of close.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int copyContent(int in, int out, off_t size, Sha256* hash) {
  // A hash needs the bytes to pass through here: no shortcut in the kernel.
  if (hash == nullptr && ::ioctl(out, FICLONE, in) == 0) {
    return 0;
  }
  off_t left = size;
  bool kernelCopy = hash == nullptr;
  while (left > 0 && kernelCopy) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
    if (copied > 0) {
      left -= copied;
    } else if (copied == 0) {
      break;  // the source got shorter; the size check reports it
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM) {
      kernelCopy = false;
    } else {
      return errno;
    }
  }
  if (left == 0) {
    return 0;
  }
  // Read and write from where the kernel copy stopped.
  const off_t done = size - left;
  if (::lseek(in, done, SEEK_SET) < 0 || ::lseek(out, done, SEEK_SET) < 0) {
    return errno;
  }
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got == 0) {
      return 0;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    if (hash != nullptr) {
      hash->add(buffer.data(), static_cast<std::size_t>(got));
    }
    const char* cursor = buffer.data();
    ssize_t pending = got;
    while (pending > 0) {
      const ssize_t written = ::write(out, cursor, static_cast<size_t>(pending));
      if (written < 0) {
        if (errno == EINTR) {
          continue;
        }
        return errno;
      }
      cursor += written;
      pending -= written;
    }
  }
}

}  // namespace

FileError FileCopier::errorFor(int code, const QString& path) {
  return {code, QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(code)))};
}

std::optional<FileError> FileCopier::copyFile(const QString& source, const QString& destination, Sha256* hash) {
  const QByteArray to = QFile::encodeName(destination);
  struct stat sourceStat {};
  Descriptor in(openRegularFile(source, &sourceStat));
  if (in.get() < 0) {
    return errno == EINVAL ? FileError{EINVAL, QStringLiteral("%1: not a regular file").arg(source)}
                           : errorFor(errno, source);
  }
  Descriptor out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (out.get() < 0) {
    return errorFor(errno, destination);
  }
  int error = copyContent(in.get(), out.get(), sourceStat.st_size, hash);
  struct stat copyStat {};
  if (error == 0 && ::fstat(out.get(), &copyStat) != 0) {
    error = errno;
  }
  if (error == 0 && copyStat.st_size != sourceStat.st_size) {
    error = EIO;  // the source changed size while it was copied
  }
  if (error == 0) {
    const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    ::futimens(out.get(), times);
  }
  const int closeError = out.close();
  if (error == 0) {
    error = closeError;
  }
  if (error != 0) {
    ::unlink(to.constData());
    return errorFor(error, destination);
  }
  return std::nullopt;
}

std::optional<FileError> FileCopier::makeDirectory(const QString& path) {
  const QByteArray native = QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  // Walk down from the root, creating what is missing.
  for (qsizetype slash = native.indexOf('/', 1);; slash = native.indexOf('/', slash + 1)) {
    const QByteArray part = slash < 0 ? native : native.left(slash);
    if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
      return errorFor(errno, QFile::decodeName(part));
    }
    if (slash < 0) {
      break;
    }
  }
  struct stat info {};
  if (::stat(native.constData(), &info) != 0) {
    return errorFor(errno, path);
  }
  if (!S_ISDIR(info.st_mode)) {
    return errorFor(ENOTDIR, path);
  }
  return std::nullopt;
}

}  // namespace dashcard
