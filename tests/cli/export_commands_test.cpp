// dashcard-cli export-kml, backup, capture and settings as a user runs them.
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using Result = test::CliResult;

Result cli(const QStringList& arguments) { return test::runCli(arguments); }

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const test::TempCard& card() { return test::sharedCard(6, 3, true); }

TEST(CliExport, KmlAndKmzWithTheirFailures) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const Result kmz = cli({"export-kml", card().root(), out.filePath("Route Map.KMZ")});
  EXPECT_EQ(kmz.exitCode, 0) << kmz.err.toStdString();
  EXPECT_TRUE(readFile(out.filePath("Route Map.KMZ")).startsWith("PK"));

  const Result missingFolder = cli({"export-kml", card().root(), out.filePath("none/route.kml")});
  EXPECT_EQ(missingFolder.exitCode, 1);
  EXPECT_TRUE(missingFolder.err.contains("An error occurred when writing data")) << missingFolder.err.toStdString();

  EXPECT_EQ(cli({"export-kml", out.filePath("no card"), out.filePath("x.kml")}).exitCode, 2);
  EXPECT_EQ(cli({"export-kml", out.path(), out.filePath("x.kml")}).exitCode, 2);  // not a card
  EXPECT_EQ(cli({"export-kml", card().root()}).exitCode, 2);
  EXPECT_FALSE(QFile::exists(out.filePath("x.kml")));

  // A card with only its telemetry folder: a card with nothing to export.
  ASSERT_TRUE(QDir(out.path()).mkpath("only telemetry/NMEA/NORMAL"));
  const Result nothing = cli({"export-kml", out.filePath("only telemetry"), out.filePath("x.kml")});
  EXPECT_EQ(nothing.exitCode, 1);
  EXPECT_TRUE(nothing.err.contains("nothing to export")) << nothing.err.toStdString();
  EXPECT_FALSE(QFile::exists(out.filePath("x.kml")));
}

TEST(CliExport, BackupOfChosenRecordingsAndRefusedTargets) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const SampleClip& clip = card().clips().first();
  const QString name = QFileInfo(clip.frontPath).fileName();
  const QString target = out.filePath("my backup");
  const Result one = cli({"backup", card().root(), target, name});
  ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
  EXPECT_EQ(readFile(QDir(target).filePath(clip.frontPath)), readFile(card().path(clip.frontPath)));
  EXPECT_EQ(QDir(QDir(target).filePath("NORMAL")).entryList(QDir::Files).size(), clip.rearPath.isEmpty() ? 1 : 2);

  const Result again = cli({"backup", card().root(), target});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_TRUE(again.err.contains("not empty")) << again.err.toStdString();
  EXPECT_TRUE(QFile::exists(QDir(target).filePath(clip.frontPath)));

  const Result unknown = cli({"backup", card().root(), out.filePath("other"), "NORMAL/F_nothing.MP4"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_FALSE(QFileInfo::exists(out.filePath("other")));
}

// Progress: a line per tenth into a log, a bar with the share done on a
// terminal (a pseudo-terminal made by script(1)), nothing with --quiet.
TEST(CliExport, BackupProgressOnATerminalInALogAndQuiet) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const Result log = cli({"backup", card().root(), out.filePath("log")});
  ASSERT_EQ(log.exitCode, 0) << log.err.toStdString();
  const QStringList lines = log.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_LE(lines.size(), 10);
  EXPECT_EQ(lines.last(), QStringLiteral("Backing up: 100 %"));
  for (const QString& line : lines) EXPECT_TRUE(line.startsWith(QLatin1String("Backing up: "))) << qPrintable(line);

  const Result quiet = cli({"backup", "--quiet", card().root(), out.filePath("quiet")});
  ASSERT_EQ(quiet.exitCode, 0) << quiet.err.toStdString();
  EXPECT_EQ(quiet.err, QString());

  QProcess terminal;
  const QString command = QStringLiteral("'%1' backup '%2' '%3'").arg(test::cliPath(), card().root(), out.filePath("tty"));
  terminal.start(QStringLiteral("script"), {QStringLiteral("-qfec"), command, QStringLiteral("/dev/null")});
  ASSERT_TRUE(terminal.waitForFinished(120000));
  EXPECT_EQ(terminal.exitCode(), 0);
  const QString screen = QString::fromUtf8(terminal.readAllStandardOutput());
  EXPECT_TRUE(screen.contains(QStringLiteral("Backing up [###"))) << qPrintable(screen);
  EXPECT_TRUE(screen.contains(QStringLiteral("100 %"))) << qPrintable(screen);
  EXPECT_FALSE(screen.contains(QStringLiteral("Backing up: "))) << qPrintable(screen);
}

TEST(CliExport, CaptureWritesTheFrameWithItsPosition) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const SampleClip& clip = card().clips().at(2);  // past the receiver's cold start
  const Result jpeg = cli({"capture", card().root(), clip.frontPath, "1.5", out.filePath("shot.JPG")});
  ASSERT_EQ(jpeg.exitCode, 0) << jpeg.err.toStdString();
  EXPECT_TRUE(jpeg.out.contains(", GPS ")) << jpeg.out.toStdString();
  const Result png = cli({"capture", card().root(), clip.frontPath, "0", out.filePath("rear.png"), "--rear"});
  EXPECT_EQ(png.exitCode, clip.rearPath.isEmpty() ? 2 : 0) << png.err.toStdString();

  EXPECT_EQ(cli({"capture", card().root(), clip.frontPath, "999", out.filePath("late.jpg")}).exitCode, 2);
  EXPECT_EQ(cli({"capture", card().root(), clip.frontPath, "-1", out.filePath("early.jpg")}).exitCode, 2);
  EXPECT_EQ(cli({"capture", card().root(), clip.frontPath, "1", out.filePath("shot.gif")}).exitCode, 2);
  EXPECT_FALSE(QFile::exists(out.filePath("late.jpg")));

  if (!QStandardPaths::findExecutable("exiftool").isEmpty()) {
    QProcess exif;
    exif.start("exiftool", {"-a", "-G1", "-n", "-GPS:all", out.filePath("shot.JPG")});
    exif.waitForFinished(30000);
    const QString tags = QString::fromUtf8(exif.readAllStandardOutput());
    EXPECT_TRUE(tags.contains("GPS Latitude")) << tags.toStdString();
    EXPECT_TRUE(tags.contains("GPS Date Stamp")) << tags.toStdString();
  }
}

TEST(CliExport, VideoAndGpxOfASpan) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const auto at = [](int clip, int seconds) {
    return card().clips().at(clip).start.addSecs(seconds).toString(Qt::ISODate);
  };
  const Result video = cli({"export-video", card().root(), "--from", at(1, 1), "--to", at(3, 1), "--camera", "both",
                            "--overlay", out.filePath("crash at 5.mp4")});
  ASSERT_EQ(video.exitCode, 0) << video.err.toStdString();
  for (const char* name : {"crash at 5.mp4", "crash at 5.gpx", "crash at 5.kml"}) {
    EXPECT_TRUE(QFileInfo(out.filePath(name)).size() > 0) << name;
  }
  const Result gpx = cli({"export-gpx", card().root(), "--from", at(2, 0), "--to", at(2, 2), out.filePath("t.gpx")});
  ASSERT_EQ(gpx.exitCode, 0) << gpx.err.toStdString();
  EXPECT_TRUE(gpx.out.contains("3 points in 1 segments")) << gpx.out.toStdString();
  EXPECT_EQ(cli({"export-gpx", card().root(), out.filePath("all.gpx")}).exitCode, 0);

  // Wrong usage and a span without recordings: exit code 2 and no file.
  struct Case {
    QStringList arguments;
    const char* message;
  };
  const QString none = out.filePath("none.mp4");
  const Case refused[] = {
      {{"export-video", card().root(), "--from", "2031-01-01T00:00:00Z", "--to", "2031-01-01T09:01:00+09:00", none},
       "no recording covers"},
      {{"export-gpx", card().root(), "--from", "2031-01-01T00:00:00Z", "--to", "2031-01-02T00:00:00Z", none},
       "no recording covers"},
      {{"export-video", card().root(), "--from", at(1, 0), "--to", at(1, 2), "--camera", "top", none}, "--camera"},
      {{"export-video", card().root(), "--from", at(1, 0), "--to", at(1, 2), "--overlay", none}, "--overlay"},
      {{"export-video", card().root(), "--from", "yesterday", "--to", at(1, 2), none}, "ISO 8601"},
      {{"export-video", card().root(), "--from", at(1, 2), "--to", at(1, 0), none}, "after"},
      {{"export-video", card().root(), none}, "needs"},
  };
  for (const Case& c : refused) {
    const Result result = cli(c.arguments);
    EXPECT_EQ(result.exitCode, 2) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(none));
}

TEST(CliExport, SettingsShowValidateAndWrite) {
  QTemporaryDir root;
  QDir(root.path()).mkpath("NORMAL");
  const QString file = QDir(root.path()).filePath("rynd_settings.ini");

  const Result missing = cli({"settings", root.path()});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_TRUE(missing.err.contains("Failed to load configuration file")) << missing.err.toStdString();
  EXPECT_TRUE(missing.out.contains("IMPACT_LEVEL L3"));
  EXPECT_FALSE(QFile::exists(file));

  const Result changed = cli({"settings", root.path(), "AUDIO=OFF", "TIME_ZONE=HAST_USA_D"});
  ASSERT_EQ(changed.exitCode, 0) << changed.err.toStdString();
  const QByteArray written = readFile(file);
  EXPECT_TRUE(written.contains("AUDIO OFF\r\n"));
  EXPECT_TRUE(written.contains("TIME_ZONE HAST_USA_D\r\n"));

  // One bad value: nothing is written, not even the good ones.
  const Result invalid = cli({"settings", root.path(), "WI_LAN=5G", "TIME_ZONE=utc"});
  EXPECT_EQ(invalid.exitCode, 2);
  EXPECT_TRUE(invalid.err.contains("TIME_ZONE")) << invalid.err.toStdString();
  EXPECT_EQ(readFile(file), written);
  EXPECT_EQ(cli({"settings", root.path(), "COLOUR=RED"}).exitCode, 2);

  ASSERT_EQ(cli({"settings", root.path(), "--reset"}).exitCode, 0);
  EXPECT_EQ(readFile(file), "DVR_RESET ON\r\n");
  // The camera acted on the reset request: reading it back gives the defaults.
  EXPECT_TRUE(cli({"settings", root.path()}).out.contains("AUDIO ON"));
}

}  // namespace
}  // namespace dashcard
