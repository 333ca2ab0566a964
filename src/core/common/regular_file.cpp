#include "core/common/regular_file.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace dashcard {
namespace {

int kindError(const struct stat& info) { return S_ISDIR(info.st_mode) ? EISDIR : EINVAL; }

}  // namespace

int openRegularFile(const QString& path, struct stat* info) {
  struct stat facts {};
  const QByteArray encoded = QFile::encodeName(path);
  if (encoded.isEmpty()) {
    errno = ENOENT;
    return -1;
  }
  if (::stat(encoded.constData(), &facts) != 0) {
    return -1;
  }
  if (!S_ISREG(facts.st_mode)) {
    errno = kindError(facts);
    return -1;
  }
  const int fd = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
    const int error = S_ISREG(facts.st_mode) ? errno : kindError(facts);
    ::close(fd);
    errno = error;
    return -1;
  }
  if (info != nullptr) {
    *info = facts;
  }
  return fd;
}

}  // namespace dashcard
