// dashcard-cli pointed at what it must never touch: the card itself, files
// it cannot read, names it must not take as they come.
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
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
  EXPECT_TRUE(empty.err.contains("DIR is empty")) << empty.err.toStdString();
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

}  // namespace
}  // namespace dashcard
