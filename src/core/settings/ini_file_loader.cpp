#include "core/settings/ini_file_loader.h"

#include "core/common/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
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

void printToStandardOutput(const QString& message) {
  std::fputs(message.toLocal8Bit().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

IniFileLoader::IniFileLoader(QString filePath) : filePath_(std::move(filePath)) {}

int IniFileLoader::load() {
  const QFileInfo info(filePath_);
  if (!info.exists()) {
    return kFileMissing;
  }
  // Only a regular file is read, and only up to a size no settings file
  // reaches: a FIFO would block, a link to a device would never end.
  const int fd = openRegularFile(filePath_);
  if (fd < 0) {
    printToStandardOutput(errno == EINVAL || errno == EISDIR
                              ? QStringLiteral("Error: %1 is not a regular file").arg(filePath_)
                              : QStringLiteral("Error: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    return kUnreadable;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    printToStandardOutput(QStringLiteral("Error: %1").arg(file.errorString()));
    return kUnreadable;
  }
  const QByteArray data = file.read(kMaxFileSize + 1);
  if (file.error() != QFileDevice::NoError) {
    printToStandardOutput(QStringLiteral("Error: %1").arg(file.errorString()));
    return kUnreadable;
  }
  if (data.size() > kMaxFileSize) {
    printToStandardOutput(QStringLiteral("Error: %1 is too big for a settings file").arg(filePath_));
    return kUnreadable;
  }
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(data);
  if (decoder.hasError()) {
    printToStandardOutput(QStringLiteral("Error: %1 is not UTF-8 text").arg(filePath_));
    return kUnreadable;
  }

  QHash<QString, QString> entries;
  QStringList order;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !isLineBreak(text.at(i))) {
      continue;
    }
    const QString line = text.mid(start, i - start);
    start = i + 1;
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
  settingInfo_ = loaded;
  return kLoaded;
}

}  // namespace dashcard
