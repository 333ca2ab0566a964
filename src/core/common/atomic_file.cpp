#include "core/common/atomic_file.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

bool fail(QString* errorText, const QString& what, int error) {
  if (errorText != nullptr) {
    *errorText = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
  }
  return false;
}

}  // namespace

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* errorText, bool syncToDisk) {
  const QFileInfo target(path);
  const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
  QByteArray tempPath;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    tempPath = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                                 QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                               QLatin1Char('0')));
    fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd < 0) {
    return fail(errorText, QStringLiteral("Cannot create a file in %1").arg(target.absolutePath()), errno);
  }
  // Keep the permissions of the file being replaced.
  struct stat old {};
  if (::stat(targetPath.constData(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  }
  const char* cursor = data.constData();
  qsizetype left = data.size();
  int error = 0;
  while (left > 0) {
    const ssize_t written = ::write(fd, cursor, static_cast<size_t>(left));
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      error = errno;
      break;
    }
    cursor += written;
    left -= written;
  }
  if (error == 0 && syncToDisk && ::fsync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && ::rename(tempPath.constData(), targetPath.constData()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(tempPath.constData());
    return fail(errorText, QStringLiteral("Cannot write %1").arg(target.absoluteFilePath()), error);
  }
  return true;
}

}  // namespace dashcard
