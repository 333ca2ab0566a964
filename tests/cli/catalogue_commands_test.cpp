// dashcard-cli scan as a user runs it.
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dashcard {
namespace {

using Result = test::CliResult;

Result cli(const QStringList& arguments) { return test::runCli(arguments); }

// Sets the immutable flag on a file for the object's life.
class ImmutableFile {
 public:
  explicit ImmutableFile(const QString& path) : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY)) {
    if (fd_ < 0 || ::ioctl(fd_, FS_IOC_GETFLAGS, &flags_) != 0) {
      return;
    }
    int locked = flags_ | FS_IMMUTABLE_FL;
    ok_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &locked) == 0;
  }
  ~ImmutableFile() {
    if (ok_) {
      ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
    }
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  ImmutableFile(const ImmutableFile&) = delete;
  ImmutableFile& operator=(const ImmutableFile&) = delete;
  bool ok() const { return ok_; }

 private:
  int fd_;
  int flags_ = 0;
  bool ok_ = false;
};

TEST(CliScan, ListsEveryRecordingWithItsCompanionsAndLock) {
  SampleCardOptions options;
  options.clips = 5;
  options.encodeVideos = false;
  test::TempCard card(options);
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const SampleClip& lockedClip = card.clips().at(1);
  ImmutableFile lock(card.path(lockedClip.frontPath));

  const Result text = cli({"scan", card.root()});
  ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
  for (const SampleClip& clip : card.clips()) {
    const qsizetype at = text.out.indexOf(QStringLiteral("  ") + clip.frontPath + QStringLiteral("  "));
    ASSERT_GE(at, 0) << clip.frontPath.toStdString();
    const QString line = text.out.mid(at, text.out.indexOf(u'\n', at) - at);
    EXPECT_TRUE(line.contains(u"rear=yes")) << line.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("telemetry=") + clip.telemetryPath)) << line.toStdString();
    const bool locked = lock.ok() && &clip == &lockedClip;
    EXPECT_TRUE(line.endsWith(locked ? u"protected=yes" : u"protected=no")) << line.toStdString();
  }

  const Result json = cli({"scan", "--json", card.root()});
  ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
  const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
  EXPECT_TRUE(object.value("accepted").toBool());
  const QJsonArray tree = object.value("mediaTree").toArray();
  ASSERT_EQ(tree.size(), card.clips().size());
  for (const QJsonValue& recording : tree) {
    const bool locked = lock.ok() && recording.toObject().value("deltaPath").toString() == lockedClip.frontPath;
    EXPECT_EQ(recording.toObject().value("isProtected").toBool(), locked);
  }
}

TEST(CliScan, CardsInFoldersWithOddNames) {
  SampleCardOptions options;
  options.clips = 2;
  options.encodeVideos = false;
  test::TempCard card(options);
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  QTemporaryDir parent;
  const QString odd = parent.filePath(QStringLiteral("Carte \"d'été\" 2024"));
  ASSERT_TRUE(QDir().rename(card.root(), odd));
  const Result text = cli({"scan", odd});
  const Result json = cli({"scan", "--json", odd});
  ASSERT_TRUE(QDir().rename(odd, card.root()));
  ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.startsWith(QStringLiteral("Card ") + odd + u':')) << text.out.toStdString();
  for (const SampleClip& clip : card.clips()) {
    EXPECT_TRUE(text.out.contains(QStringLiteral("  telemetry=") + clip.telemetryPath + QStringLiteral("  ")))
        << text.out.toStdString();
  }
  ASSERT_EQ(json.exitCode, 0);
  const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
  EXPECT_EQ(object.value("rootPath").toString(), odd);
  EXPECT_EQ(object.value("mediaTree").toArray().size(), 2);
}

TEST(CliScan, OutputThatCannotBeWrittenIsAFailure) {
  const test::TempCard& card = test::sharedCard();
  ASSERT_TRUE(card.ok());
  QProcess process;
  process.setStandardOutputFile(QStringLiteral("/dev/full"));
  process.start(test::cliPath(), {"scan", card.root()});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_TRUE(process.readAllStandardError().contains("cannot write the output"));
}

TEST(CliScan, RefusesWhatIsNotACard) {
  QTemporaryDir folder;
  const Result notACard = cli({"scan", folder.path()});
  EXPECT_EQ(notACard.exitCode, 1);
  EXPECT_TRUE(notACard.err.contains(u"is not a camera card")) << notACard.err.toStdString();
  EXPECT_EQ(cli({"scan", folder.filePath("missing")}).exitCode, 2);
  EXPECT_EQ(cli({"scan"}).exitCode, 2);
}

// The commands that neither decode video nor draw run in dashcard-cli itself
// (no FFmpeg to load); the others, and a GPX span (clip lengths come from
// the decoder), are handed to dashcard-cli-media, and say so when it is missing.
TEST(CliCommands, LightCommandsRunAloneAndTheOthersSaySoWhenTheHelperIsMissing) {
  // Listed by dashcard-cli whether it runs them itself or not.
  const Result help = cli({"--help"});
  for (const char* name : {"scan", "thumbnails", "cache-clean", "telemetry", "export-kml", "export-gpx", "backup",
                           "capture", "settings", "demo-card"}) {
    EXPECT_TRUE(help.out.contains(QStringLiteral("  %1 ").arg(QLatin1String(name)))) << name;
  }
  EXPECT_EQ(cli({"telemetry", "--help"}).exitCode, 0);

  QTemporaryDir alone;
  const QString copy = alone.filePath("dashcard-cli");
  ASSERT_TRUE(QFile::copy(test::cliPath(), copy));
  const QString missing = alone.filePath("missing");
  const auto run = [&](const QStringList& arguments) {
    QProcess process;
    process.start(copy, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return std::pair{process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
  };
  const QStringList light[] = {
      {"telemetry", missing + ".NMEA"},
      {"export-kml", missing, alone.filePath("out.kml")},
      {"export-gpx", missing, alone.filePath("out.gpx")},
      {"export-gpx", missing, "--from", "2024-05-17T07:30:00Z", "--to", "2024-05-17T07:31:00Z",
       alone.filePath("o.gpx")},
      {"scan", missing},
      {"check", missing},
      {"verify", missing},
  };
  for (const QStringList& arguments : light) {
    const auto [code, err] = run(arguments);
    EXPECT_EQ(code, 2) << arguments.join(' ').toStdString() << ": " << err.toStdString();
    EXPECT_FALSE(err.contains("dashcard-cli-media")) << err.toStdString();
  }
  const QStringList handed[] = {
      {"thumbnails", missing},
      {"capture", missing, "F_1.MP4", "00:00:01", alone.filePath("out.jpg")},
  };
  for (const QStringList& arguments : handed) {
    const auto [code, err] = run(arguments);
    EXPECT_EQ(code, 1) << arguments.join(' ').toStdString();
    EXPECT_TRUE(err.contains("cannot start dashcard-cli-media")) << err.toStdString();
  }
}

}  // namespace
}  // namespace dashcard
