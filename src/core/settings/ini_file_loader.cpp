#include "core/settings/ini_file_loader.h"

#include "core/common/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QTextStream>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace dashcard {
namespace {

bool isLineBreak(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

QString trimmedBlanksAndTabs(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
  while (begin < end && blank(text.at(begin))) ++begin;
  while (end > begin && blank(text.at(end - 1))) --end;
  return text.mid(begin, end - begin);
}

}  // namespace

IniFileLoader::IniFileLoader(QString filePath) : filePath_(std::move(filePath)) {}

int IniFileLoader::load() {
  errorString_.clear();
  const QFileInfo info(filePath_);
  if (!info.exists() && !info.isSymLink()) {
    errorString_ = QStringLiteral("%1 does not exist").arg(filePath_);
    return kFileMissing;
  }
  const auto unreadable = [this](const QString& reason) {
    errorString_ = reason;
    return kUnreadable;
  };
  // Only a regular file is read, and only up to a size no settings file
  // reaches: a FIFO would block, a link to a device would never end.
  const int fd = openRegularFile(filePath_);
  if (fd < 0) {
    if (errno == EINVAL || errno == EISDIR) {
      return unreadable(QStringLiteral("%1 is not a regular file").arg(filePath_));
    }
    if (errno == EACCES || errno == EPERM) {
      return unreadable(QStringLiteral("%1: permission denied").arg(filePath_));
    }
    if (errno == ENOENT) {
      return unreadable(QStringLiteral("%1 is a link to nothing").arg(filePath_));
    }
    return unreadable(QStringLiteral("%1: %2").arg(filePath_, QString::fromLocal8Bit(std::strerror(errno))));
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return unreadable(QStringLiteral("%1: %2").arg(filePath_, file.errorString()));
  }
  const QByteArray data = file.read(kMaxFileSize + 1);
  if (file.error() != QFileDevice::NoError) {
    return unreadable(QStringLiteral("%1: %2").arg(filePath_, file.errorString()));
  }
  if (data.size() > kMaxFileSize) {
    return unreadable(QStringLiteral("%1 is too big for a settings file (over %2 KiB)")
                          .arg(filePath_)
                          .arg(kMaxFileSize / 1024));
  }
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(data);
  if (decoder.hasError()) {
    return unreadable(QStringLiteral("%1 is not UTF-8 text").arg(filePath_));
  }

  QHash<QString, QString> entries;
  QStringList order;
  QStringList otherLines;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !isLineBreak(text.at(i))) {
      continue;
    }
    const QString line = text.mid(start, i - start);
    start = i + 1;
    const QString firstWord = trimmedBlanksAndTabs(line.section(QLatin1Char(' '), 0, 0));
    if (!RyndSettingInfo::itemNames().contains(firstWord)) {
      // Another firmware's keys, comments: written back as they were.
      if (!trimmedBlanksAndTabs(line).isEmpty()) {
        otherLines << line;
      }
      continue;
    }
    const QStringList pieces = line.split(QLatin1Char(' '));
    if (pieces.size() != 2) {
      continue;
    }
    const QString key = trimmedBlanksAndTabs(pieces.at(0));
    if (!entries.contains(key)) {
      order.append(key);
    }
    entries.insert(key, trimmedBlanksAndTabs(pieces.at(1)));
  }

  RyndSettingInfo loaded;
  for (const QString& key : order) {
    loaded.updateValue(entries.value(key), key);
  }
  loaded.setOtherLines(otherLines);
  settingInfo_ = loaded;
  return kLoaded;
}

}  // namespace dashcard
