// Fault injection: a sample card is damaged at random, before and while the
// scan, the background walk, the KML export and the backup run on it. Every
// run happens in a child process (this program again with --run-one), so a
// crash or a hang is counted instead of ending the campaign.
//
//   fault_injection [--runs N] [--first-seed S] [--timeout SECONDS] [--jobs J]
//   fault_injection --run-one --seed N --card TEMPLATE --work FOLDER
//
// A run passes when every job ended and reported its end exactly once, a
// failed backup left no target, nothing was written beside the targets and
// the card is as the last damage left it. The same seed makes the same
// damage. Prints one line: "N runs, N crashes, N hangs, N unreported
// failures", and the seeds of bad runs with the end of their output.

#include "core/catalogue/card_scanner.h"
#include "core/media/dcf_async_parser.h"
#include "core/catalogue/picture_info.h"
#include "core/catalogue/sample_card_maker.h"
#include "core/common/const_class.h"
#include "core/common/main_thread.h"
#include "core/export/dcf_async_back_up.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/playback/media_controller.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

// The exit code of a run that ended but broke a rule.
constexpr int kUnreported = 3;

struct Rng {
  std::mt19937_64 engine;
  std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : engine() % n; }
};

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// Makes folders searchable again (damage may have locked them), without following links.
void unlock(const QString& path) {
  struct stat info {};
  if (::lstat(native(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return;
  }
  ::chmod(native(path).constData(), 0700);
  for (const QString& name : CardScanner::pathsAtDirectory(path).value_or(QStringList())) {
    unlock(path + u'/' + name);
  }
}

void removeEntry(const QString& path) {
  unlock(path);
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(native(path).toStdString()), ignored);
}

// Every entry under `root`, relative and sorted; links are not followed.
QStringList entriesUnder(const QString& root, const QString& relative = {}) {
  QStringList names =
      CardScanner::pathsAtDirectory(relative.isEmpty() ? root : root + u'/' + relative).value_or(QStringList());
  names.sort();
  QStringList entries;
  for (const QString& name : names) {
    const QString entry = relative.isEmpty() ? name : relative + u'/' + name;
    entries << entry;
    struct stat info {};
    if (::lstat(native(root + u'/' + entry).constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
      entries << entriesUnder(root, entry);
    }
  }
  return entries;
}

// What each entry is: kind, permissions, size, and the content's hash or the link's target.
QMap<QString, QString> snapshot(const QString& root) {
  QMap<QString, QString> seen;
  for (const QString& entry : entriesUnder(root)) {
    const QByteArray path = native(root + u'/' + entry);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) {
      continue;
    }
    QString text = QStringLiteral("%1 %2").arg(info.st_mode, 0, 8).arg(info.st_size);
    if (S_ISLNK(info.st_mode)) {
      text += u' ' + QFile::symLinkTarget(QFile::decodeName(path));
    } else if (S_ISREG(info.st_mode)) {
      QFile file(QFile::decodeName(path));
      text +=
          u' ' + (file.open(QIODevice::ReadOnly)
                      ? QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex())
                      : QStringLiteral("unreadable"));
    }
    seen.insert(entry, text);
  }
  return seen;
}

// One random damage to the card; says what it did.
QString damage(const QString& card, Rng& rng) {
  const QStringList entries = entriesUnder(card);
  if (entries.isEmpty()) {
    return QStringLiteral("nothing left to damage");
  }
  const QString relative = entries.at(static_cast<qsizetype>(rng.below(static_cast<std::uint64_t>(entries.size()))));
  const QString path = card + u'/' + relative;
  const QByteArray encoded = native(path);
  struct stat info {};
  ::lstat(encoded.constData(), &info);
  const bool folder = S_ISDIR(info.st_mode);
  enum Kind {
    Delete,
    Truncate,
    Unreadable,
    Folder,
    Fifo,
    LinkLoop,
    DeviceLink,
    FolderLinkToRoot,
    RemoveParent,
    kKinds
  };
  switch (static_cast<Kind>(rng.below(kKinds))) {
    case Truncate:
      if (S_ISREG(info.st_mode)) {
        const auto size = static_cast<off_t>(rng.below(static_cast<std::uint64_t>(info.st_size) + 1));
        ::truncate(encoded.constData(), size);
        return QStringLiteral("truncated to %1: %2").arg(size).arg(relative);
      }
      break;
    case Unreadable:
      // chmod follows links: only the entry itself is locked.
      if (!S_ISLNK(info.st_mode)) {
        ::chmod(encoded.constData(), 0);
        return QStringLiteral("unreadable: %1").arg(relative);
      }
      break;
    case Folder:
      removeEntry(path);
      QDir().mkdir(path);
      return QStringLiteral("replaced by a folder: %1").arg(relative);
    case Fifo:
      removeEntry(path);
      ::mkfifo(encoded.constData(), 0600);
      return QStringLiteral("replaced by a FIFO: %1").arg(relative);
    case LinkLoop:
      removeEntry(path);
      ::symlink(native(path.section(u'/', -1)).constData(), encoded.constData());
      return QStringLiteral("replaced by a link to itself: %1").arg(relative);
    case DeviceLink:
      removeEntry(path);
      ::symlink("/dev/zero", encoded.constData());
      return QStringLiteral("replaced by a link to a device: %1").arg(relative);
    case FolderLinkToRoot:
      if (folder) {
        removeEntry(path);
        ::symlink(native(QDir(QFileInfo(path).absolutePath()).relativeFilePath(card)).constData(), encoded.constData());
        return QStringLiteral("folder replaced by a link to the card: %1").arg(relative);
      }
      break;
    case RemoveParent:
      if (relative.contains(u'/')) {
        const QString parent = relative.section(u'/', 0, -2);
        removeEntry(card + u'/' + parent);
        return QStringLiteral("folder removed: %1").arg(parent);
      }
      break;
    case Delete:
    case kKinds:
      break;
  }
  removeEntry(path);
  return QStringLiteral("%1 removed: %2").arg(folder ? QStringLiteral("folder") : QStringLiteral("file"), relative);
}

void say(const QString& line) {
  std::fprintf(stderr, "%s\n", qPrintable(line));
  std::fflush(stderr);
}

// The ends the jobs reported.
struct Ends {
  int scan = 0;
  int walk = 0;
  int kml = 0;
  int backUp = 0;
  std::optional<QString> kmlError;
  std::optional<QString> backUpError;
};

int runOne(std::uint64_t seed, const QString& templateCard, const QString& runDir) {
  Rng rng{std::mt19937_64(seed)};
  const QString card = runDir + QStringLiteral("/card");
  const QString out = runDir + QStringLiteral("/out");
  QDir().mkpath(runDir);
  std::filesystem::copy(native(templateCard).toStdString(), native(card).toStdString(),
                        std::filesystem::copy_options::recursive);
  for (const char* folder : {"thumbs", "kml", "backup"}) {
    QDir(out).mkpath(QLatin1String(folder));
  }
  // Every draw is made up front, and each damage has its own generator, so
  // a seed always makes the same damage whatever the jobs' pace.
  const std::uint64_t before = rng.below(4);
  const std::uint64_t during = rng.below(6);
  struct Timed {
    bool afterScan;
    int offset;
    Rng rng;
  };
  std::vector<Timed> timed;
  for (std::uint64_t i = 0; i < during; ++i) {
    const bool afterScan = rng.below(2) == 1;
    timed.push_back({afterScan, static_cast<int>(rng.below(afterScan ? 150 : 40)), Rng{std::mt19937_64(rng.engine())}});
  }
  const bool kmz = rng.below(2) == 1;
  const std::uint64_t walkStart = rng.below(8);
  // Half the runs cancel one job on the way: it may then end without a report.
  enum Job { Walk, Export, BackUp, None };
  const auto cancelled = static_cast<Job>(std::min<std::uint64_t>(rng.below(6), None));
  const int cancelOffset = static_cast<int>(rng.below(120));
  for (std::uint64_t i = 0; i < before; ++i) {
    say(QStringLiteral("before: ") + damage(card, rng));
  }

  QElapsedTimer clock;
  clock.start();
  // The card as the last damage left it; the jobs must not change it.
  QMap<QString, QString> lastDamaged = snapshot(card);
  int armed = 0;
  int fired = 0;
  const auto schedule = [&](bool afterScan) {
    for (Timed& next : timed) {
      if (next.afterScan == afterScan) {
        ++armed;
        QTimer::singleShot(next.offset, [&] {
          say(QStringLiteral("during (%1 ms): ").arg(clock.elapsed()) + damage(card, next.rng));
          lastDamaged = snapshot(card);
          ++fired;
        });
      }
    }
  };
  schedule(false);

  Ends ends;
  MediaController controller;
  std::shared_ptr<DCFAsyncParser> parser;
  std::shared_ptr<DCFAsyncKMLBuilder> kml;
  std::shared_ptr<DCFAsyncBackUp> backUp;
  const QString kmlTarget = out + (kmz ? QStringLiteral("/kml/route.kmz") : QStringLiteral("/kml/route.kml"));
  const QString backUpTarget = out + QStringLiteral("/backup/target");
  bool itemsGiven = false;
  controller.catalogue()->mediaTreeAsyncAtRootPath(card, {}, [&](bool) {
    say(QStringLiteral("scanned (%1 ms)").arg(clock.elapsed()));
    if (++ends.scan > 1) {
      return;
    }
    schedule(true);
    const DCFInfoList recordings = controller.catalogue()->mediaTree();
    QList<BackUpItem> items(recordings.begin(), recordings.end());
    // Pictures are read (their EXIF position) as the backup's items are made.
    const QString pictures = card + u'/' + ConstClass::REG_TX900_FOLDER_PICTURE;
    for (const QString& name : CardScanner::pathsAtDirectory(pictures).value_or(QStringList())) {
      if (name.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive)) {
        items << std::make_shared<PictureInfo>(card, ConstClass::REG_TX900_FOLDER_PICTURE + u'/' + name);
      }
    }
    itemsGiven = !items.isEmpty();
    parser = std::make_shared<DCFAsyncParser>(out + QStringLiteral("/thumbs"), 1.0);
    parser->setUpDCFAsync(recordings, static_cast<qsizetype>(walkStart), {}, [&] { ++ends.walk; });
    kml = DCFAsyncKMLBuilder::create();
    kml->kmlBuildAsync(recordings, kmlTarget, {}, [&](const std::optional<QString>& error) {
      ++ends.kml;
      ends.kmlError = error;
    });
    backUp = DCFAsyncBackUp::create();
    backUp->backUpAsync(items, backUpTarget, {}, {}, [&](const std::optional<QString>& error) {
      ++ends.backUp;
      ends.backUpError = error;
    });
    if (cancelled != None) {
      ++armed;
      QTimer::singleShot(cancelOffset, [&] {
        say(QStringLiteral("cancel (%1 ms): job %2").arg(clock.elapsed()).arg(cancelled));
        if (cancelled == Walk) {
          parser->setCancelFlag(true);
        } else if (cancelled == Export) {
          kml->setCancelFlag(true);
        } else {
          backUp->setCancelFlag(true);
        }
        ++fired;
      });
    }
  });

  // Done when the damage armed is made and no background task is left, a few
  // turns of the event loop in a row (a task's last report may still be queued).
  QEventLoop loop;
  QTimer tick;
  int quietTurns = 0;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const bool idle = fired == armed && backgroundJobPool()->activeThreadCount() == 0 &&
                      QThreadPool::globalInstance()->activeThreadCount() == 0;
    quietTurns = idle ? quietTurns + 1 : 0;
    if (quietTurns >= 5) {
      loop.quit();
    }
  });
  tick.start(5);
  loop.exec();

  say(QStringLiteral("(%1 ms) ends: scan %2, walk %3, export %4 (%5), backup %6 (%7), %8 items")
          .arg(clock.elapsed())
          .arg(ends.scan)
          .arg(ends.walk)
          .arg(ends.kml)
          .arg(ends.kmlError.value_or(QStringLiteral("success")))
          .arg(ends.backUp)
          .arg(ends.backUpError.value_or(QStringLiteral("success")))
          .arg(itemsGiven ? "some" : "no"));
  QStringList faults;
  // A cancelled job ends with one report or none.
  const auto once = [&](const char* job, int count, bool cancel = false) {
    if (count != 1 && !(cancel && count == 0)) {
      faults << QStringLiteral("%1 reported its end %2 times").arg(QLatin1String(job)).arg(count);
    }
  };
  once("the scan", ends.scan);
  if (ends.scan > 0) {
    once("the walk", ends.walk, cancelled == Walk);
    once("the KML export", ends.kml, cancelled == Export);
    once("the backup", ends.backUp, cancelled == BackUp);
  }
  const bool targetMade = QFileInfo::exists(backUpTarget);
  const QStringList backUpFolder =
      CardScanner::pathsAtDirectory(out + QStringLiteral("/backup")).value_or(QStringList());
  if (!backUpFolder.isEmpty() && backUpFolder != QStringList{QStringLiteral("target")}) {
    faults << QStringLiteral("the backup wrote beside its target: ") + backUpFolder.join(u' ');
  }
  if ((ends.backUpError || ends.backUp == 0) && targetMade) {
    faults << QStringLiteral("the failed or cancelled backup left its target (%1)")
                  .arg(ends.backUpError.value_or(QString()));
  }
  if (ends.backUp == 1 && !ends.backUpError && itemsGiven && !targetMade) {
    faults << QStringLiteral("the backup reported success without a target");
  }
  for (const QString& entry : entriesUnder(backUpTarget)) {
    if (!QFileInfo(backUpTarget + u'/' + entry).isDir() && !QFileInfo(backUpTarget + u'/' + entry).isFile()) {
      faults << QStringLiteral("the backup holds something other than files and folders: ") + entry;
    }
  }
  const QStringList kmlFolder = entriesUnder(out + QStringLiteral("/kml"));
  const QStringList kmlExpected =
      ends.kml == 1 && !ends.kmlError ? QStringList{QFileInfo(kmlTarget).fileName()} : QStringList{};
  if (ends.kml <= 1 && kmlFolder != kmlExpected) {
    faults << QStringLiteral("the KML export left %1 (%2)")
                  .arg(kmlFolder.join(u' '), ends.kmlError.value_or(QStringLiteral("success")));
  }
  QStringList runFolder = CardScanner::pathsAtDirectory(runDir).value_or(QStringList());
  runFolder.sort();
  if (runFolder != QStringList{QStringLiteral("card"), QStringLiteral("out")}) {
    faults << QStringLiteral("something was written beside the card: ") + runFolder.join(u' ');
  }
  const QMap<QString, QString> after = snapshot(card);
  if (after != lastDamaged) {
    for (const QString& entry : QSet<QString>(after.keyBegin(), after.keyEnd()) +
                                    QSet<QString>(lastDamaged.keyBegin(), lastDamaged.keyEnd())) {
      if (after.value(entry) != lastDamaged.value(entry)) {
        faults << QStringLiteral("the card changed under the jobs: %1 (%2 -> %3)")
                      .arg(entry, lastDamaged.value(entry), after.value(entry));
      }
    }
  }
  for (const QString& fault : faults) {
    say(QStringLiteral("FAULT: ") + fault);
  }
  return faults.isEmpty() ? 0 : kUnreported;
}

// Where a hung run waits, when gdb is at hand: our frames of every thread.
QStringList stacksOf(qint64 pid) {
  QProcess gdb;
  gdb.start(QStringLiteral("gdb"), {QStringLiteral("-p"), QString::number(pid), QStringLiteral("-batch"),
                                    QStringLiteral("-ex"), QStringLiteral("thread apply all bt 12")});
  if (!gdb.waitForFinished(60000)) {
    gdb.kill();
    gdb.waitForFinished(-1);
  }
  QStringList frames;
  for (const QString& line : QString::fromLocal8Bit(gdb.readAllStandardOutput()).split(u'\n')) {
    if (line.startsWith(u'#') && line.contains(QStringLiteral("dashcard::"))) {
      frames << line.left(240);
    }
  }
  return frames.mid(0, 40);
}

// A small card with a few pictures, made once for all runs.
bool makeTemplate(const QString& root) {
  SampleCardOptions options;
  options.clips = 5;
  options.clipSeconds = 2;
  options.width = 160;
  options.height = 90;
  options.telemetry = SampleTelemetryPlace::Mixed;
  QString error;
  if (!SampleCardMaker(options).make(root, &error)) {
    say(QStringLiteral("cannot make the sample card: ") + error);
    return false;
  }
  const QString pictures = root + u'/' + ConstClass::REG_TX900_FOLDER_PICTURE;
  const QStringList made = QDir(pictures).entryList(QDir::Files);
  for (int i = 1; i <= 2 && !made.isEmpty(); ++i) {
    QFile::copy(pictures + u'/' + made.first(), pictures + QStringLiteral("/24010112000%1.JPG").arg(i));
  }
  return true;
}

int campaign(int runs, std::uint64_t firstSeed, int timeoutSeconds, int jobs, bool verbose) {
  QTemporaryDir work(QDir::tempPath() + QStringLiteral("/dashcard-faults-XXXXXX"));
  const QString templateCard = work.filePath(QStringLiteral("template"));
  if (!work.isValid() || !makeTemplate(templateCard)) {
    return 2;
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // Never the user's own cache or settings.
  for (const char* name : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    environment.insert(QLatin1String(name), work.filePath(QLatin1String(name)));
  }
  struct Child {
    std::uint64_t seed;
    std::unique_ptr<QProcess> process;
    QDeadlineTimer deadline;
  };
  std::vector<Child> running;
  int crashes = 0, hangs = 0, unreported = 0;
  std::uint64_t next = firstSeed;
  const std::uint64_t end = firstSeed + static_cast<std::uint64_t>(runs);
  while (next < end || !running.empty()) {
    while (next < end && running.size() < static_cast<std::size_t>(jobs)) {
      auto process = std::make_unique<QProcess>();
      process->setProcessEnvironment(environment);
      process->setProcessChannelMode(QProcess::MergedChannels);
      process->start(
          QCoreApplication::applicationFilePath(),
          {QStringLiteral("--run-one"), QStringLiteral("--seed"), QString::number(next), QStringLiteral("--card"),
           templateCard, QStringLiteral("--work"), work.filePath(QStringLiteral("run-%1").arg(next))});
      running.push_back({next++, std::move(process), QDeadlineTimer(timeoutSeconds * 1000)});
    }
    for (auto it = running.begin(); it != running.end();) {
      QProcess& process = *it->process;
      if (!process.waitForFinished(10) && !it->deadline.hasExpired()) {
        ++it;
        continue;
      }
      QString verdict;
      QStringList stacks;
      if (process.state() != QProcess::NotRunning) {
        stacks = stacksOf(process.processId());
        process.kill();
        process.waitForFinished(-1);
        ++hangs;
        verdict = QStringLiteral("hang (killed after %1 s)").arg(timeoutSeconds);
      } else if (process.exitStatus() == QProcess::CrashExit ||
                 (process.exitCode() != 0 && process.exitCode() != kUnreported)) {
        ++crashes;
        verdict = QStringLiteral("crash (exit %1)").arg(process.exitCode());
      } else if (process.exitCode() == kUnreported) {
        ++unreported;
        verdict = QStringLiteral("unreported failure");
      }
      if (!verdict.isEmpty() || verbose) {
        const QStringList output = QString::fromLocal8Bit(process.readAll()).split(u'\n', Qt::SkipEmptyParts);
        say(QStringLiteral("seed %1: %2").arg(it->seed).arg(verdict.isEmpty() ? QStringLiteral("passed") : verdict));
        for (const QString& line : output.mid(std::max<qsizetype>(0, output.size() - 12)) + stacks) {
          say(QStringLiteral("  ") + line);
        }
      }
      removeEntry(work.filePath(QStringLiteral("run-%1").arg(it->seed)));
      it = running.erase(it);
    }
  }
  std::printf("%d runs, %d crashes, %d hangs, %d unreported failures\n", runs, crashes, hangs, unreported);
  return crashes + hangs + unreported == 0 ? 0 : 1;
}

}  // namespace
}  // namespace dashcard

int main(int argc, char* argv[]) {
  const bool runOne =
      std::any_of(argv + 1, argv + argc, [](const char* arg) { return std::strcmp(arg, "--run-one") == 0; });
  std::unique_ptr<QCoreApplication> app =
      runOne ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  QCommandLineParser parser;
  parser.addOptions(
      {{QStringLiteral("runs"), QStringLiteral("Runs."), QStringLiteral("N"), QStringLiteral("1000")},
       {QStringLiteral("first-seed"), QStringLiteral("First seed."), QStringLiteral("S"), QStringLiteral("1")},
       {QStringLiteral("timeout"), QStringLiteral("Seconds before a run is a hang."), QStringLiteral("T"),
        QStringLiteral("30")},
       {QStringLiteral("jobs"), QStringLiteral("Runs side by side."), QStringLiteral("J"), QStringLiteral("1")},
       {QStringLiteral("verbose"), QStringLiteral("Show the output of every run.")},
       {QStringLiteral("run-one"), QStringLiteral("One run (in the child).")},
       {QStringLiteral("seed"), QStringLiteral("The run's seed."), QStringLiteral("N")},
       {QStringLiteral("card"), QStringLiteral("The sample card to copy."), QStringLiteral("PATH")},
       {QStringLiteral("work"), QStringLiteral("The run's folder."), QStringLiteral("PATH")}});
  parser.addHelpOption();
  parser.process(*app);
  if (runOne) {
    return dashcard::runOne(parser.value(QStringLiteral("seed")).toULongLong(), parser.value(QStringLiteral("card")),
                            parser.value(QStringLiteral("work")));
  }
  return dashcard::campaign(
      parser.value(QStringLiteral("runs")).toInt(), parser.value(QStringLiteral("first-seed")).toULongLong(),
      parser.value(QStringLiteral("timeout")).toInt(), std::max(1, parser.value(QStringLiteral("jobs")).toInt()),
      parser.isSet(QStringLiteral("verbose")));
}
