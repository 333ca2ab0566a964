#include "cli/cli_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace dashcard::cli {

bool parseArguments(QCommandLineParser& parser, const QStringList& arguments, const QString& usage,
                    const QString& description, int* exitCode) {
  parser.setApplicationDescription(description);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help."));
  parser.addOption(help);
  if (!parser.parse(arguments)) {
    printError(parser.errorText());
    printError(QStringLiteral("Usage: %1").arg(usage));
    printError(QStringLiteral("Try '%1 --help'.").arg(arguments.value(0)));
    *exitCode = kExitUsage;
    return false;
  }
  if (parser.isSet(help)) {
    // Qt's first help line names the binary only; ours names the command too.
    QString text = parser.helpText();
    text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
    printOut(QStringLiteral("Usage: %1\n").arg(usage) + text);
    *exitCode = kExitOk;
    return false;
  }
  return true;
}

void printOut(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
  if (!text.endsWith(QLatin1Char('\n'))) {
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
}

void printError(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  if (!text.endsWith(QLatin1Char('\n'))) {
    std::fputc('\n', stderr);
  }
  std::fflush(stderr);
}

void appendIsoDate(QByteArray& out, const QDateTime& date) {
  if (!date.isValid()) {
    out += "1970-01-01T00:00:00.000Z";
    return;
  }
  // By hand: the formatter with a pattern costs more than a whole
  // recording's line in a ten-thousand-line listing.
  const QDateTime utc = date.toUTC();
  const QDate day = utc.date();
  const QTime time = utc.time();
  if (day.year() < 0 || day.year() > 9999) {
    out += utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")).toUtf8();
    return;
  }
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", day.year(), day.month(),
                                   day.day(), time.hour(), time.minute(), time.second(), time.msec());
  out.append(text, length);
}

void exitNow(int exitCode) {
  // Output that could not be written (a full disk, a closed pipe) is a failure.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "dashcard-cli: cannot write the output (%s).\n", std::strerror(errno));
    exitCode = kExitFailed;
  }
  std::fflush(stderr);
  std::_Exit(exitCode);
}

QString isoDate(const QDateTime& date) {
  QByteArray text;
  appendIsoDate(text, date);
  return QString::fromLatin1(text);
}

QCommandLineOption spanOption(const QString& name) {
  return QCommandLineOption(name,
                            name == QLatin1String("from")
                                ? QStringLiteral("Start of the span, ISO 8601 (with Z or an offset that instant, "
                                                 "without one local time).")
                                : QStringLiteral("End of the span, ISO 8601."),
                            QStringLiteral("DATETIME"));
}

QDateTime parseIsoDateTime(const QString& text) {
  // Qt reads a date without offset as local time, as wanted.
  QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
  return date.isValid() ? date : QDateTime();
}

QJsonValue jsonNumber(double value) {
  if (!std::isfinite(value)) {
    return QJsonValue(QJsonValue::Null);
  }
  return QJsonValue(value);
}

void printJson(const QJsonValue& value) {
  QJsonDocument document;
  if (value.isArray()) {
    document.setArray(value.toArray());
  } else {
    document.setObject(value.toObject());
  }
  // QJsonDocument writes doubles with enough digits to read back exactly.
  const QByteArray bytes = document.toJson(QJsonDocument::Indented);
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
  std::fflush(stdout);
}

ProgressBar::ProgressBar(QString label) : label_(std::move(label)), enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(double fraction, const QString& detail) {
  if (!enabled_ || finished_) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (fraction < 1.0 && now - last_ < std::chrono::milliseconds(100)) {
    return;
  }
  last_ = now;
  fraction = std::clamp(fraction, 0.0, 1.0);
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(std::lround(fraction * kWidth));
  const QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('-'));
  const QString line = QStringLiteral("\r%1 [%2] %3%% %4")
                           .arg(label_, bar)
                           .arg(static_cast<int>(std::lround(fraction * 100)), 3)
                           .arg(detail.left(40));
  const QByteArray bytes = line.toUtf8() + "\x1b[K";
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (!enabled_ || finished_) {
    return;
  }
  finished_ = true;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
}

}  // namespace dashcard::cli
