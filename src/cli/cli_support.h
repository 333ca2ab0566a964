#pragma once

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonValue>
#include <QString>

#include <chrono>

namespace dashcard::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Parses `arguments` with `parser` (adds --help). On --help prints the help
// and returns kExitOk through `exitCode`; on a parse error prints the message
// and returns kExitUsage. Returns true when the command should go on.
// `usage` is the synopsis, e.g. "dashcard-cli scan CARD [--json]".
bool parseArguments(QCommandLineParser& parser, const QStringList& arguments, const QString& usage,
                    const QString& description, int* exitCode);

// Messages go to standard error, results to standard output.
void printOut(const QString& text);
void printError(const QString& text);
// Flushes the standard streams and ends the process without taking its
// objects apart: for read-only commands whose last act is printing.
[[noreturn]] void exitNow(int exitCode);

// ISO 8601 UTC with milliseconds; the 1970 sentinel stays 1970-01-01T00:00:00.000Z.
QString isoDate(const QDateTime& date);
// The same, appended to `out`.
void appendIsoDate(QByteArray& out, const QDateTime& date);
// --from or --to of a command that takes a span of time (DATETIME as
// parseIsoDateTime reads it).
QCommandLineOption spanOption(const QString& name);
// An ISO 8601 date and time: with "Z" or an offset that instant, without
// one the machine's local time. Invalid when the text is not one.
QDateTime parseIsoDateTime(const QString& text);
// A double that reads back to the same value, or null when not finite.
QJsonValue jsonNumber(double value);
void printJson(const QJsonValue& value);

// A one-line progress bar on standard error, drawn only when it is a terminal
// and at most every 100 ms.
class ProgressBar {
 public:
  explicit ProgressBar(QString label);
  ~ProgressBar();
  void update(double fraction, const QString& detail = {});
  void finish();

 private:
  QString label_;
  bool enabled_;
  bool finished_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace dashcard::cli
