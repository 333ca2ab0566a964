#pragma once

#include "core/catalogue/card_scanner.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonValue>
#include <QString>

#include <chrono>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace dashcard::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// Any number of positional arguments.
inline constexpr qsizetype kMany = std::numeric_limits<qsizetype>::max();

// Thrown to end a command early: main prints the message, if any, on
// standard error and exits with the code.
struct CommandExit {
  int code;
  QString message;
};

// Progress on standard error: a bar with the share done and the time left
// when it is a terminal (redrawn at most every 100 ms), a line per tenth of
// the work when it is not (a log, a pipe), nothing when quiet.
class ProgressBar {
 public:
  enum class Mode { Terminal, Lines, Quiet };
  // Terminal or Lines, by what standard error is.
  static Mode automaticMode();

  explicit ProgressBar(QString label, Mode mode = automaticMode());
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  void update(double fraction, const QString& detail = {});
  void finish();

 private:
  QString label_;
  Mode mode_;
  bool finished_ = false;
  int tenthsShown_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_{};
};

// What every command starts with: its options and positional arguments
// declared on `parser`, then parse(). Its messages start with its name.
class CommandArguments {
 public:
  // `synopsis` follows "dashcard-cli <name> " in the usage line.
  CommandArguments(QString name, const QString& synopsis, const QString& description);

  QCommandLineParser parser;

  // The positional arguments. Ends the command with kExitOk after printing
  // the help for --help, and with kExitUsage for a parse error or fewer than
  // `minimum` or more than `maximum` positional arguments (`needs` says what
  // it takes: "needs exactly one CARD").
  QStringList parse(const QStringList& arguments, qsizetype minimum, qsizetype maximum, const QString& needs);
  // Ends the command with kExitUsage or kExitFailed and "<name>: <text>".
  [[noreturn]] void refuse(const QString& text) const;
  [[noreturn]] void fail(const QString& text) const;

  // Declares --quiet, which progressMode() reads after parse().
  void addProgressOption();
  ProgressBar::Mode progressMode() const;

  // Declares --from and --to, which span() reads after parse().
  void addSpanOptions();
  // The instants of --from and --to (ISO 8601: with "Z" or an offset that
  // instant, without one local time); both invalid when neither is set and
  // the span is not `required`. Refused when only one is set, either is not
  // a date, or --to does not come after --from.
  std::pair<QDateTime, QDateTime> span(bool required) const;

  // The catalogue of the card at `root` (made absolute): refused when it is
  // not a folder or holds none of the card's folders; failed when it or a
  // folder of its layout cannot be read (a scan would list nothing there).
  CardScanner::Result scanCard(const QString& root) const;
  // Ends the command with kExitFailed and "permission denied: PATH" when
  // this user may not read `path` (a folder: list and enter it).
  void failWhenUnreadable(const QString& path) const;
  // failWhenUnreadable for a card's root and the folders of its layout.
  void failWhenCardUnreadable(const QString& path) const;
  // Refuses an output that is inside the card at `cardRoot` or that is the
  // card (real paths: links followed, also for a file not made yet):
  // nothing is ever written to the card, least of all over its own files.
  void refuseOutputOnCard(const QString& output, const QString& cardRoot) const;
  // The recording named by its relative path or file name; refused when
  // the card has none of that name.
  DCFInfoPtr recording(const DCFInfoList& recordings, const QString& wanted) const;

 private:
  QString name_;
  QString usage_;
  const QCommandLineOption quiet_{QStringLiteral("quiet"), QStringLiteral("Show no progress on standard error.")};
  const QCommandLineOption from_{QStringLiteral("from"),
                                 QStringLiteral("Start of the span, ISO 8601 (with Z or an offset that instant, "
                                                "without one local time)."),
                                 QStringLiteral("DATETIME")};
  const QCommandLineOption to_{QStringLiteral("to"), QStringLiteral("End of the span, ISO 8601."),
                               QStringLiteral("DATETIME")};
};

// `path` made absolute with the working folder; relative as given when the
// working folder has no name within the system's path limit.
QString absolutePath(const QString& path);

// Replaces this process with dashcard-cli-media running `argv`, found next
// to this program (the build tree) or in ../libexec/dashcard (an
// installation); nowhere else. Returns only when that fails (errno says why).
void runInMediaHelper(char* argv[]);

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
// A double that reads back to the same value, or null when not finite.
QJsonValue jsonNumber(double value);
void printJson(const QJsonValue& value);

// Runs one asynchronous job of the core to its end on this thread:
// `start` begins it with the progress bar and the finish it must call once.
// Returns the error the job finished with, if any.
using JobFinish = std::function<void(const std::optional<QString>& error)>;
std::optional<QString> runJob(const QString& label, const std::function<void(ProgressBar& bar, JobFinish finish)>& start,
                              ProgressBar::Mode mode = ProgressBar::automaticMode());

}  // namespace dashcard::cli
