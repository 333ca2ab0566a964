// dashcard-cli pointed at what it must never touch: the card itself, files
// it cannot read, names it must not take as they come.
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace dashcard {
namespace {

using Result = test::CliResult;

Result cli(const QStringList& arguments) { return test::runCli(arguments); }

// The bytes of a regular file; nothing for a folder or a link to a device.
QByteArray readFile(const QString& path) {
  QFile file(path);
  return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A digest of every file under `root` with its name, to prove nothing changed.
QByteArray treeDigest(const QString& root) {
  QStringList files;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    files << it.next();
  }
  files.sort();
  QCryptographicHash hash(QCryptographicHash::Sha1);
  for (const QString& file : files) {
    hash.addData(QDir(root).relativeFilePath(file).toUtf8());
    hash.addData(readFile(file));
  }
  return hash.result();
}

class CliOnTheCard : public test::SampleCardTest {
 protected:
  SampleCardOptions options() const override {
    SampleCardOptions o;
    o.clips = 4;
    o.clipSeconds = 2;
    o.encodeVideos = false;  // every output is refused before a frame is read
    return o;
  }
};

TEST_F(CliOnTheCard, OutputsOntoTheCardAreRefusedAndNothingChanges) {
  ASSERT_TRUE(card->ok()) << card->error().toStdString();
  ASSERT_TRUE(test::writeFileAt(card->root(), "rynd_settings.ini", "AUDIO OFF\r\n"));
  ASSERT_TRUE(test::writeFileAt(card->root(), "PICTURE/240518000000.JPG", "a picture"));
  QTemporaryDir out;
  // Through a link from outside into the card, and the card named through a link.
  ASSERT_TRUE(QFile::link(card->path("NORMAL"), out.filePath("linked normal")));
  ASSERT_TRUE(QFile::link(card->root(), out.filePath("linked card")));
  const SampleClip& clip = card->clips().at(1);
  const QString from = clip.start.toString(Qt::ISODate);
  const QString to = clip.start.addSecs(1).toString(Qt::ISODate);
  const QString stem = QFileInfo(clip.frontPath).completeBaseName();

  const QByteArray before = treeDigest(card->root());
  const QList<QStringList> attempts = {
      {"export-video", card->root(), "--from", from, "--to", to, card->path(clip.frontPath)},
      {"export-video", card->root(), "--from", from, "--to", to, out.filePath("linked normal/new.mp4")},
      {"export-kml", card->root(), card->path(clip.telemetryPath)},
      {"export-kml", out.filePath("linked card"), card->path(clip.frontPath)},
      {"export-gpx", card->root(), card->path("rynd_settings.ini")},
      {"export-gpx", card->root(), card->path("NMEA/new.gpx")},
      {"capture", card->root(), clip.frontPath, "0", card->path("PICTURE/240518000000.JPG")},
      {"report", card->root(), "--from", from, "--to", to, out.filePath("linked normal/report.pdf")},
      {"backup", card->root(), card->path("NORMAL/backup")},
      {"backup", card->root(), card->root()},
  };
  for (const QStringList& arguments : attempts) {
    const Result result = cli(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains("is on the card")) << result.err.toStdString();
  }
  EXPECT_EQ(treeDigest(card->root()), before);
}

TEST(CliExportVideo, TrackFilesBesideTheVideoAreReplacedOnlyWhenAllowed) {
  const test::TempCard& shared = test::sharedCard(6, 3, true);
  ASSERT_TRUE(shared.ok());
  QTemporaryDir out;
  ASSERT_TRUE(test::writeFileAt(out.path(), "trip.kml", "my own route"));
  const QString from = shared.clips().at(1).start.toString(Qt::ISODate);
  const QString to = shared.clips().at(1).start.addSecs(2).toString(Qt::ISODate);
  const QStringList arguments{"export-video", shared.root(), "--from", from, "--to", to, out.filePath("trip.mp4")};
  const Result refused = cli(arguments);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.err.contains("trip.kml exists")) << refused.err.toStdString();
  EXPECT_TRUE(refused.err.contains("--force")) << refused.err.toStdString();
  EXPECT_EQ(readFile(out.filePath("trip.kml")), "my own route");
  EXPECT_FALSE(QFile::exists(out.filePath("trip.mp4")));
  EXPECT_FALSE(QFile::exists(out.filePath("trip.gpx")));
  EXPECT_TRUE(cli({"export-video", "--help"}).out.contains("--force"));

  const Result forced = cli(QStringList(arguments) << "--force");
  ASSERT_EQ(forced.exitCode, 0) << forced.err.toStdString();
  EXPECT_TRUE(readFile(out.filePath("trip.kml")).contains("<kml"));
}

// A card folder that others may enter, as a card mounted for everyone is.
class OpenCard {
 public:
  OpenCard() {
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
    QDir(dir.path()).mkpath("NORMAL");
  }
  QString root() const { return dir.path(); }
  QString settings() const { return dir.filePath("rynd_settings.ini"); }
  QTemporaryDir dir;
};

// A settings file it could not read is never replaced, and saying why once is all it prints.
TEST(CliSettings, AFileItCouldNotReadIsNeitherShownNorWrittenOver) {
  OpenCard card;
  const QByteArray foreign("TIME_ZONE JST\r\nIMPACT_LEVEL L1\r\nAUDIO OFF \xff\r\n");
  struct Case {
    const char* what;
    std::function<void()> make;
    const char* reason;
  };
  const Case cases[] = {
      {"a byte that is not UTF-8", [&] { test::writeFileAt(card.root(), "rynd_settings.ini", foreign); }, "not UTF-8"},
      {"over 64 KiB", [&] { test::writeFileAt(card.root(), "rynd_settings.ini", QByteArray(70000, '#')); }, "too big"},
      {"a folder", [&] { QDir(card.root()).mkdir("rynd_settings.ini"); }, "not a regular file"},
      {"a link to a device", [&] { QFile::link("/dev/zero", card.settings()); }, "not a regular file"},
  };
  for (const Case& c : cases) {
    c.make();
    const QByteArray before = readFile(card.settings());
    for (const QStringList& arguments :
         {QStringList{"settings", card.root(), "AUDIO=ON"}, QStringList{"settings", card.root(), "--reset"},
          QStringList{"settings", card.root()}, QStringList{"settings", card.root(), "--json"}}) {
      const Result result = cli(arguments);
      EXPECT_EQ(result.exitCode, 1) << c.what << ": " << arguments.join(' ').toStdString();
      EXPECT_TRUE(result.err.contains(c.reason)) << c.what << ": " << result.err.toStdString();
      EXPECT_EQ(result.err.count("rynd_settings.ini"), 1) << c.what << ": " << result.err.toStdString();
      EXPECT_TRUE(result.out.isEmpty()) << c.what << ": " << result.out.toStdString();
    }
    EXPECT_EQ(readFile(card.settings()), before) << c.what;
    EXPECT_TRUE(QDir(card.root()).entryList({".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty()) << c.what;
    QFile::remove(card.settings());
    QDir(card.root()).rmdir("rynd_settings.ini");
  }

  // Permission denied, as a user without the rights.
  ASSERT_TRUE(test::writeFileAt(card.root(), "rynd_settings.ini", "AUDIO OFF\r\n"));
  ASSERT_TRUE(QFile::setPermissions(card.settings(), QFileDevice::WriteOwner));
  for (const QStringList& arguments : {QStringList{"settings", card.root()}, QStringList{"settings", card.root(), "AUDIO=ON"}}) {
    const Result denied = test::runCliWithoutPrivileges(arguments);
    EXPECT_EQ(denied.exitCode, 1) << denied.err.toStdString();
    EXPECT_TRUE(denied.err.contains("permission denied")) << denied.err.toStdString();
    EXPECT_TRUE(denied.err.contains(card.settings())) << denied.err.toStdString();
    EXPECT_FALSE(denied.err.contains("UTF-8")) << denied.err.toStdString();
    EXPECT_TRUE(denied.out.isEmpty()) << denied.out.toStdString();
  }
}

TEST(CliSettings, KeysItDoesNotKnowStayAndMixedRequestsAreRefused) {
  OpenCard card;
  const QByteArray original("# written by the camera\r\nIMPACT_LEVEL L1\r\nVENDOR_BEEP 7\r\nTIME_ZONE JST\r\n"
                            "AUDIO ON\r\n");
  ASSERT_TRUE(test::writeFileAt(card.root(), "rynd_settings.ini", original));
  const Result changed = cli({"settings", card.root(), "AUDIO=OFF"});
  ASSERT_EQ(changed.exitCode, 0) << changed.err.toStdString();
  const QByteArray written = readFile(card.settings());
  for (const char* line : {"# written by the camera\r\n", "VENDOR_BEEP 7\r\n", "TIME_ZONE JST\r\n",
                           "IMPACT_LEVEL L1\r\n", "AUDIO OFF\r\n"}) {
    EXPECT_TRUE(written.contains(line)) << line << " in " << written.toStdString();
  }
  EXPECT_EQ(written.count("VENDOR_BEEP"), 1);
  EXPECT_FALSE(changed.err.contains("Undefine")) << changed.err.toStdString();

  struct Case {
    QStringList arguments;
    const char* message;
  };
  const Case refused[] = {
      {{"settings", card.root(), "--reset", "AUDIO=ON"}, "cannot be combined"},
      {{"settings", card.root(), "AUDIO"}, "AUDIO needs a value"},
      {{"settings", card.root(), "VENDOR_BEEP=8"}, "unknown setting 'VENDOR_BEEP'"},
  };
  for (const Case& c : refused) {
    const Result result = cli(c.arguments);
    EXPECT_EQ(result.exitCode, 2) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    EXPECT_EQ(readFile(card.settings()), written);
  }
}

QStringList entriesOf(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

TEST(CliDemoCard, WritesOnlyIntoANewOrEmptyFolderAndKeepsNothingOfAFailure) {
  QTemporaryDir work;
  // An empty name is not the current folder.
  const Result empty = test::runCliIn(work.path(), {"demo-card", ""});
  EXPECT_EQ(empty.exitCode, 2);
  EXPECT_TRUE(empty.err.contains("an argument is empty")) << empty.err.toStdString();
  EXPECT_TRUE(entriesOf(work.path()).isEmpty());

  // A folder with recordings of its own.
  ASSERT_TRUE(test::writeFileAt(work.path(), "mine/NORMAL/F_20240517235840_20240517235840_N.MP4", "my drive"));
  const Result full = cli({"demo-card", work.filePath("mine"), "--clips", "2", "--empty-videos"});
  EXPECT_EQ(full.exitCode, 2);
  EXPECT_TRUE(full.err.contains("not empty")) << full.err.toStdString();
  EXPECT_EQ(entriesOf(work.filePath("mine")), QStringList{"NORMAL"});
  EXPECT_EQ(readFile(work.filePath("mine/NORMAL/F_20240517235840_20240517235840_N.MP4")), "my drive");

  // Bounds that kept names and dates real.
  for (const QStringList& options : {QStringList{"--clips", "100001"}, QStringList{"--clip-seconds", "3601"},
                                     QStringList{"--clip-seconds", "2147483647"}, QStringList{"--width", "100000"}}) {
    const Result bounded = cli(QStringList{"demo-card", work.filePath("bounded")} + options);
    EXPECT_EQ(bounded.exitCode, 2) << options.join(' ').toStdString();
    EXPECT_TRUE(bounded.err.contains("whole number from")) << bounded.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(work.filePath("bounded")));

  // ffmpeg that cannot run: the partial card goes, and an empty folder given stays empty.
  QTemporaryDir noTools;
  const QStringList noFfmpeg{"PATH=" + noTools.path()};
  const Result fresh = test::runCliIn(work.path(), {"demo-card", "fresh", "--clips", "2"}, noFfmpeg);
  EXPECT_EQ(fresh.exitCode, 1);
  EXPECT_TRUE(fresh.err.contains("ffmpeg")) << fresh.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(work.filePath("fresh")));
  ASSERT_TRUE(QDir(work.path()).mkdir("given"));
  EXPECT_EQ(test::runCliIn(work.path(), {"demo-card", "given", "--clips", "2"}, noFfmpeg).exitCode, 1);
  EXPECT_TRUE(QFileInfo(work.filePath("given")).isDir());
  EXPECT_TRUE(entriesOf(work.filePath("given")).isEmpty());
}

TEST(CliThumbnails, ACacheItCannotWriteIsAFailureAndAnEmptyThumbnailIsMadeAgain) {
  const test::TempCard& shared = test::sharedCard(6, 3, true);
  ASSERT_TRUE(shared.ok());
  // Readable by others, as a mounted card is.
  ASSERT_TRUE(QFile::setPermissions(shared.root(), QFile::permissions(shared.root()) | QFileDevice::ReadOther |
                                                       QFileDevice::ExeOther));
  QTemporaryDir cache;
  ASSERT_TRUE(QFile::setPermissions(cache.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                      QFileDevice::ReadOther | QFileDevice::ExeOther));
  const Result locked = test::runCliWithoutPrivileges({"thumbnails", shared.root(), "--cache-dir", cache.path()});
  EXPECT_EQ(locked.exitCode, 1) << locked.err.toStdString();
  EXPECT_TRUE(locked.err.contains("cannot write thumbnails into " + cache.path())) << locked.err.toStdString();
  EXPECT_TRUE(locked.out.isEmpty()) << locked.out.toStdString();
  EXPECT_TRUE(entriesOf(cache.path()).isEmpty());

  ASSERT_TRUE(QFile::setPermissions(cache.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
  const Result made = cli({"thumbnails", shared.root(), "--cache-dir", cache.path()});
  ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
  const QStringList paths = made.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(paths.size(), shared.clips().size());
  // What a full disk leaves behind is no thumbnail.
  ASSERT_TRUE(QFile::resize(paths.first(), 0));
  const Result again = cli({"thumbnails", shared.root(), "--cache-dir", cache.path()});
  ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_EQ(again.out.split('\n', Qt::SkipEmptyParts), paths);
  EXPECT_TRUE(readFile(paths.first()).startsWith("\xff\xd8")) << "made again as a JPEG";

  const Result unnamed = cli({"thumbnails", shared.root(), "--cache-dir", ""});
  EXPECT_EQ(unnamed.exitCode, 2);
  EXPECT_TRUE(unnamed.err.contains("--cache-dir needs a folder")) << unnamed.err.toStdString();
}

// What this user may not read is said to be so, with its path, exit 1.
TEST_F(CliOnTheCard, PermissionDeniedIsSaidAsSuch) {
  ASSERT_TRUE(card->ok()) << card->error().toStdString();
  const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                    QFileDevice::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(card->root(), open));
  const SampleClip& clip = card->clips().at(1);
  const QString from = clip.start.toString(Qt::ISODate);
  const QString to = clip.start.addSecs(1).toString(Qt::ISODate);
  QTemporaryDir out;
  ASSERT_TRUE(QFile::setPermissions(out.path(), open | QFileDevice::WriteOther));

  const QString folder = card->path(clip.folder);
  ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
  const Result scan = test::runCliWithoutPrivileges({"scan", card->root()});
  EXPECT_EQ(scan.exitCode, 1) << scan.out.toStdString();
  EXPECT_TRUE(scan.err.contains("permission denied: " + folder)) << scan.err.toStdString();
  ASSERT_TRUE(QFile::setPermissions(folder, open));

  const QString video = card->path(clip.frontPath);
  const QString telemetry = card->path(clip.telemetryPath);
  ASSERT_TRUE(QFile::setPermissions(video, QFileDevice::WriteOwner));
  ASSERT_TRUE(QFile::setPermissions(telemetry, QFileDevice::WriteOwner));
  const QList<QPair<QStringList, QString>> cases = {
      {{"telemetry", telemetry}, telemetry},
      {{"export-video", card->root(), "--from", from, "--to", to, out.filePath("span.mp4")}, video},
      {{"capture", card->root(), clip.frontPath, "0", out.filePath("shot.jpg")}, video},
  };
  for (const auto& [arguments, path] : cases) {
    const Result result = test::runCliWithoutPrivileges(arguments);
    EXPECT_EQ(result.exitCode, 1) << arguments.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains("permission denied: " + path)) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
  }
  EXPECT_TRUE(entriesOf(out.path()).isEmpty());
}

TEST(CliCacheClean, AFileItCannotRemoveIsAFailure) {
  QTemporaryDir home;
  const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                    QFileDevice::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(home.path(), open));
  ASSERT_TRUE(test::writeFileAt(home.path(), "dashcard/left over.kml", "<kml/>"));
  ASSERT_TRUE(QFile::setPermissions(home.filePath("dashcard"), open));
  const Result locked = test::runCliWithoutPrivileges({"cache-clean"}, {"XDG_CACHE_HOME=" + home.path()});
  EXPECT_EQ(locked.exitCode, 1) << locked.out.toStdString();
  EXPECT_TRUE(locked.err.contains("cannot remove " + home.filePath("dashcard/left over.kml"))) << locked.err.toStdString();
  EXPECT_TRUE(QFile::exists(home.filePath("dashcard/left over.kml")));
  const Result done = test::runCliIn(home.path(), {"cache-clean"}, {"XDG_CACHE_HOME=" + home.path()});
  EXPECT_EQ(done.exitCode, 0) << done.err.toStdString();
  EXPECT_FALSE(QFile::exists(home.filePath("dashcard/left over.kml")));
}

// Runs `script` in bash with the command line as $0: for names Qt cannot pass
// and working folders it cannot enter.
Result shell(const QString& script, const QString& workingDirectory) {
  QProcess process;
  process.setWorkingDirectory(workingDirectory);
  process.start("bash", {"-c", script, test::cliPath()});
  process.waitForFinished(120000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

TEST(CliPaths, BytesThatAreNotUtf8AreRefusedNotRenamed) {
  const test::TempCard& shared = test::sharedCard(6, 3, true);
  ASSERT_TRUE(shared.ok());
  QTemporaryDir out;
  ASSERT_EQ(shell("mkdir -p \"$(printf 'card\\377')/NORMAL\"", out.path()).exitCode, 0);
  const Result card = shell("exec \"$0\" scan \"$(printf 'card\\377')\"", out.path());
  EXPECT_EQ(card.exitCode, 2);
  EXPECT_TRUE(card.err.contains("is not UTF-8 text")) << card.err.toStdString();
  const Result output =
      shell("exec \"$0\" export-gpx '" + shared.root() + "' \"$(printf 'track\\377.gpx')\"", out.path());
  EXPECT_EQ(output.exitCode, 2);
  EXPECT_TRUE(output.err.contains("is not UTF-8 text")) << output.err.toStdString();
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

// A working folder deeper than the 4096 bytes a path may have.
TEST(CliPaths, ScanInAWorkingFolderBeyondThePathLimit) {
  QTemporaryDir out;
  const QString level(200, QLatin1Char('d'));
  QString script = "set -e; ";
  for (int i = 0; i < 22; ++i) {
    script += "mkdir " + level + "; cd " + level + "; ";
  }
  script += "mkdir NORMAL; : > NORMAL/F_20240517101500_20240517101500_N.MP4; exec \"$0\" scan .";
  const Result deep = shell(script, out.path());
  EXPECT_EQ(deep.exitCode, 0) << deep.err.toStdString();
  EXPECT_TRUE(deep.out.contains("F_20240517101500_20240517101500_N.MP4")) << deep.out.toStdString();
  shell("rm -rf " + level, out.path());  // beyond what Qt can remove
}

// Usage faults are exit 2 with a message that names the fault.
TEST(CliUsage, WhatIsWrongIsSaidAndExitsTwo) {
  const test::TempCard& shared = test::sharedCard(6, 3, true);
  ASSERT_TRUE(shared.ok());
  QTemporaryDir out;
  const SampleClip& clip = shared.clips().at(1);
  const QString from = clip.start.toString(Qt::ISODate);
  const QString to = clip.start.addSecs(1).toString(Qt::ISODate);
  struct Case {
    QStringList arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"capture", shared.root(), clip.frontPath, "-1", out.filePath("shot.jpg")}, "not '-1'"},
      {{"export-video", shared.root(), "--from", from, "--to", to, ""}, "an argument is empty"},
      {{"export-kml", shared.root(), ""}, "an argument is empty"},
      {{"backup", "", out.filePath("b")}, "an argument is empty"},
      {{"export-gpx", shared.root(), "--from", from, "--from", from, "--to", to, out.filePath("t.gpx")},
       "given once"},
  };
  for (const Case& c : cases) {
    const Result result = cli(c.arguments);
    EXPECT_EQ(result.exitCode, 2) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
  }
  EXPECT_TRUE(entriesOf(out.path()).isEmpty());
}

}  // namespace
}  // namespace dashcard
