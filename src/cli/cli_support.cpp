#include "cli/cli_support.h"
#include "core/common/save_folder.h"

#include "core/common/path_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard::cli {

CommandArguments::CommandArguments(QString name, const QString& synopsis, const QString& description)
    : name_(std::move(name)), usage_(QStringLiteral("dashcard-cli %1 %2").arg(name_, synopsis).trimmed()) {
  parser.setApplicationDescription(description);
}

QStringList CommandArguments::parse(const QStringList& arguments, qsizetype minimum, qsizetype maximum,
                                    const QString& needs) {
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help."));
  parser.addOption(help);
  const QString tryHelp = QStringLiteral("Try 'dashcard-cli %1 --help'.").arg(name_);
  // A negative number is an argument, not an option ("-1" is no option
  // "1"): marked past the parser, then unmarked.
  const QChar marker(0xE000);
  QStringList marked = arguments;
  for (qsizetype i = 1; i < marked.size(); ++i) {
    const QString& argument = marked.at(i);
    const QString& previous = marked.at(i - 1);
    const bool optionValue = previous.startsWith(QLatin1String("--")) && !previous.contains(QLatin1Char('='));
    if (!optionValue && argument.size() > 1 && argument.at(0) == QLatin1Char('-') &&
        (argument.at(1).isDigit() || argument.at(1) == QLatin1Char('.'))) {
      marked[i] = marker + argument;
    }
  }
  if (!parser.parse(marked)) {
    throw CommandExit{kExitUsage, QStringLiteral("%1\nUsage: %2\n%3").arg(parser.errorText(), usage_, tryHelp)};
  }
  if (parser.isSet(help)) {
    // Qt's first help line names the binary only; ours names the command too.
    QString text = parser.helpText();
    text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
    printOut(QStringLiteral("Usage: %1\n").arg(usage_) + text);
    throw CommandExit{kExitOk, {}};
  }
  QStringList positional = parser.positionalArguments();
  for (QString& argument : positional) {
    if (argument.startsWith(marker)) {
      argument.remove(0, 1);
    }
    if (argument.isEmpty()) {
      throw CommandExit{kExitUsage, QStringLiteral("%1: an argument is empty; it names no file or folder. %2")
                                        .arg(name_, tryHelp)};
    }
  }
  if (positional.size() < minimum || positional.size() > maximum) {
    throw CommandExit{kExitUsage, QStringLiteral("%1 %2. %3").arg(name_, needs, tryHelp)};
  }
  return positional;
}

void CommandArguments::refuse(const QString& text) const {
  throw CommandExit{kExitUsage, QStringLiteral("%1: %2").arg(name_, text)};
}

void CommandArguments::fail(const QString& text) const {
  throw CommandExit{kExitFailed, QStringLiteral("%1: %2").arg(name_, text)};
}

void CommandArguments::addProgressOption() { parser.addOption(quiet_); }

ProgressBar::Mode CommandArguments::progressMode() const {
  return parser.isSet(quiet_) ? ProgressBar::Mode::Quiet : ProgressBar::automaticMode();
}

void CommandArguments::addSpanOptions() { parser.addOptions({from_, to_}); }

std::pair<QDateTime, QDateTime> CommandArguments::span(bool required) const {
  if (!parser.isSet(from_) && !parser.isSet(to_) && !required) {
    return {};
  }
  if (!parser.isSet(from_) || !parser.isSet(to_)) {
    refuse(QStringLiteral("needs both --from and --to."));
  }
  if (parser.values(from_).size() > 1 || parser.values(to_).size() > 1) {
    refuse(QStringLiteral("--from and --to are given once each."));
  }
  // Qt reads a date without offset as local time, as wanted.
  const QDateTime from = QDateTime::fromString(parser.value(from_).trimmed(), Qt::ISODateWithMs);
  const QDateTime to = QDateTime::fromString(parser.value(to_).trimmed(), Qt::ISODateWithMs);
  if (!from.isValid() || !to.isValid()) {
    refuse(QStringLiteral("--from and --to take ISO 8601 dates such as 2023-12-31T23:59:15Z."));
  }
  if (to <= from) {
    refuse(QStringLiteral("--to must come after --from."));
  }
  return {from, to};
}

void CommandArguments::failWhenUnreadable(const QString& path) const {
  const QByteArray native = QFile::encodeName(path);
  struct stat info {};
  int mode = R_OK;
  if (::stat(native.constData(), &info) == 0) {
    mode = S_ISDIR(info.st_mode) ? (R_OK | X_OK) : R_OK;
  } else if (errno != EACCES) {
    return;  // missing and the like: each command says so in its own words
  }
  if (::faccessat(AT_FDCWD, native.constData(), mode, AT_EACCESS) != 0 && errno == EACCES) {
    fail(QStringLiteral("permission denied: %1").arg(path));
  }
}

void CommandArguments::failWhenCardUnreadable(const QString& path) const {
  failWhenUnreadable(path);
  // The folders of the layout, which the scan reads (not other folders: a
  // card formatted elsewhere may hold a lost+found no user may read).
  for (const char* name : {"NORMAL", "EVENT", "MANUAL", "PARKING", "PICTURE", "NMEA", "NMEA/NORMAL", "NMEA/EVENT",
                           "NMEA/MANUAL", "NMEA/PARKING"}) {
    const QString folder = path_text::appendingPathComponent(path, QLatin1String(name));
    if (QFileInfo(folder).isDir()) {
      failWhenUnreadable(folder);
    }
  }
}

CardScanner::Result CommandArguments::scanCard(const QString& root) const {
  const QString path = absolutePath(root);
  failWhenUnreadable(path);
  if (!CardScanner::pathIsDirectory(path)) {
    refuse(QStringLiteral("%1 is not a folder.").arg(root));
  }
  if (!CardScanner::mediaIsRynd(path)) {
    refuse(QStringLiteral("%1 is not a camera card (no NORMAL, EVENT, MANUAL, PARKING, PICTURE or NMEA folder).").arg(root));
  }
  failWhenCardUnreadable(path);
  return CardScanner().scan(path);
}

QString absolutePath(const QString& path) {
  if (QDir::isAbsolutePath(path)) {
    return QDir::cleanPath(path);
  }
  // In a working folder deeper than the system's path limit there is no
  // absolute name to be had; the relative one still works.
  const QString current = QDir::currentPath();
  return current.isEmpty() ? QDir::cleanPath(path) : QDir::cleanPath(current + QLatin1Char('/') + path);
}

void CommandArguments::refuseOutputOnCard(const QString& output, const QString& cardRoot) const {
  if (isOutputOnCard(output, cardRoot)) {
    refuse(QStringLiteral("%1 is on the card %2: nothing is written to the card; choose a folder elsewhere.")
               .arg(output, cardRoot));
  }
}

DCFInfoPtr CommandArguments::recording(const DCFInfoList& recordings, const QString& wanted) const {
  const QString clean = QDir::cleanPath(wanted);
  for (const DCFInfoPtr& info : recordings) {
    if (info->deltaPath() == clean || path_text::lastPathComponent(info->deltaPath()) == clean) {
      return info;
    }
  }
  refuse(QStringLiteral("no recording '%1' on the card.").arg(wanted));
}

std::optional<QString> runJob(const QString& label, const std::function<void(ProgressBar& bar, JobFinish finish)>& start,
                              ProgressBar::Mode mode) {
  ProgressBar bar(label, mode);
  QEventLoop loop;
  std::optional<QString> failure;
  bool finished = false;
  start(bar, [&](const std::optional<QString>& error) {
    failure = error;
    finished = true;
    loop.quit();
  });
  // A job may finish before the loop runs (a refused start).
  if (!finished) {
    loop.exec();
  }
  bar.finish();
  return failure;
}

void runInMediaHelper(char* argv[]) {
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    std::string folder(self, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/'));
    for (const std::string& helper :
         {folder + "/dashcard-cli-media", folder + "/../libexec/dashcard/dashcard-cli-media"}) {
      ::execv(helper.c_str(), argv);
    }
  }
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

namespace {

// "1:05" or "2:03:40".
QString clockText(double seconds) {
  const auto total = static_cast<long long>(std::ceil(seconds));
  const long long h = total / 3600;
  const long long m = total / 60 % 60;
  const long long s = total % 60;
  return h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'))
               : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

void writeError(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}

}  // namespace

ProgressBar::Mode ProgressBar::automaticMode() { return ::isatty(STDERR_FILENO) == 1 ? Mode::Terminal : Mode::Lines; }

ProgressBar::ProgressBar(QString label, Mode mode) : label_(std::move(label)), mode_(mode) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(double fraction, const QString& detail) {
  if (mode_ == Mode::Quiet || finished_ || !std::isfinite(fraction)) {
    return;
  }
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (mode_ == Mode::Lines) {
    const int tenths = static_cast<int>(std::floor(fraction * 10 + 1e-9));
    if (tenths > tenthsShown_) {
      tenthsShown_ = tenths;
      writeError(QStringLiteral("%1: %2 %\n").arg(label_).arg(tenths * 10));
    }
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (fraction < 1.0 && now - last_ < std::chrono::milliseconds(100)) {
    return;
  }
  last_ = now;
  constexpr int kWidth = 30;
  const int filled = static_cast<int>(std::lround(fraction * kWidth));
  const QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('-'));
  // The time left once there is enough behind to judge by.
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const QString left = fraction >= 0.01 && fraction < 1.0 && elapsed >= 1.0
                           ? QStringLiteral("%1 left").arg(clockText(elapsed * (1.0 - fraction) / fraction))
                           : QString();
  writeError(QStringLiteral("\r%1 [%2] %3 % %4 %5\x1b[K")
                 .arg(label_, bar)
                 .arg(static_cast<int>(std::floor(fraction * 100)), 3)
                 .arg(left, -10)
                 .arg(detail.left(40)));
}

void ProgressBar::finish() {
  if (mode_ != Mode::Terminal || finished_) {
    finished_ = true;
    return;
  }
  finished_ = true;
  writeError(QStringLiteral("\r\x1b[K"));
}

}  // namespace dashcard::cli
