// dashcard-cli check and repair on a card with a clip cut by a power loss.
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

TEST(CliCheckRepair, FindsTheCutClipAndRebuildsItOffTheCard) {
  test::TempCard card(test::powerCutCardOptions(4));
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const SampleClip* clip = card.firstCutClip();
  ASSERT_NE(clip, nullptr);
  const QString cut = card.path(clip->frontPath);
  const auto before = test::fingerprint(card.root());
  QTemporaryDir outside;

  const test::CliResult check = test::runCli({"check", card.root(), "--json"});
  EXPECT_EQ(check.exitCode, 1) << check.err.toStdString();
  const QJsonObject report = QJsonDocument::fromJson(check.out.toUtf8()).object();
  EXPECT_EQ(report.value("videos").toInt(), 4);
  const QJsonArray damaged = report.value("damaged").toArray();
  ASSERT_EQ(damaged.size(), 1) << check.out.toStdString();
  EXPECT_EQ(damaged.at(0).toObject().value("path").toString(), cut);
  EXPECT_EQ(damaged.at(0).toObject().value("damage").toString(), "no-index");

  const QString out = outside.filePath("repaired clip é.mp4");
  struct Case {
    const char* name;
    QStringList arguments;
    int exitCode;
    QString output;
  } cases[] = {
      {"repaired", {"repair", cut, out}, 0, out},
      {"into the card", {"repair", cut, card.path("NORMAL/repaired.mp4")}, 2, card.path("NORMAL/repaired.mp4")},
      {"into the card's top", {"repair", cut, card.path("x.mp4")}, 2, card.path("x.mp4")},
      {"no output", {"repair", cut}, 2, {}},
      {"missing video", {"repair", card.path("NORMAL/none.MP4"), outside.filePath("a.mp4")}, 2, outside.filePath("a.mp4")},
      {"missing reference", {"repair", cut, "--reference", outside.filePath("none.mp4"), outside.filePath("b.mp4")}, 2,
       outside.filePath("b.mp4")},
      {"reference is damaged too", {"repair", cut, "--reference", cut, outside.filePath("c.mp4")}, 1,
       outside.filePath("c.mp4")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::CliResult result = test::runCli(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    if (!c.output.isEmpty()) {
      EXPECT_EQ(QFile::exists(c.output), c.exitCode == 0);
    }
    if (c.exitCode != 0) {
      EXPECT_FALSE(result.err.isEmpty());
    }
  }
  // Whatever a command makes of the cut clip, FFmpeg's own log lines
  // ("[mov,mp4,... @ 0x...] moov atom not found") never reach the user.
  const QString from = clip->start.toString(Qt::ISODate);
  const QString to = clip->start.addSecs(clip->seconds).toString(Qt::ISODate);
  for (const QStringList& arguments :
       {QStringList{"capture", card.root(), clip->frontPath, "1", outside.filePath("still.jpg")},
        QStringList{"thumbnails", card.root(), "--cache-dir", outside.filePath("thumbs")},
        QStringList{"export-video", card.root(), "--from", from, "--to", to, "--quiet", outside.filePath("span.mp4")},
        QStringList{"export-video", card.root(), "--from", from, "--to", to, "--camera", "both", "--quiet",
                    outside.filePath("both.mp4")}}) {
    const test::CliResult result = test::runCli(arguments);
    EXPECT_FALSE(result.err.contains(" @ 0x")) << arguments.first().toStdString() << ": " << result.err.toStdString();
  }
  // The report over the cut clip is written all the same, naming it as left out.
  const test::CliResult pdf =
      test::runCli({"report", card.root(), "--from", from, "--to", to, outside.filePath("span.pdf")});
  EXPECT_EQ(pdf.exitCode, 0) << pdf.err.toStdString();
  EXPECT_TRUE(pdf.err.contains(QFileInfo(cut).fileName())) << pdf.err.toStdString();
  EXPECT_FALSE(pdf.err.contains(" @ 0x")) << pdf.err.toStdString();
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"});
  ASSERT_TRUE(ffmpeg.waitForFinished(120000));
  EXPECT_EQ(ffmpeg.exitCode(), 0);
  EXPECT_TRUE(ffmpeg.readAllStandardError().isEmpty());
  EXPECT_EQ(test::fingerprint(card.root()), before);
}

TEST(CliCheckRepair, HealthyCardAndUsage) {
  SampleCardOptions options;
  options.clips = 2;  // too few to cut one
  options.clipSeconds = 1;
  test::TempCard card(options);
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const test::CliResult healthy = test::runCli({"check", card.root()});
  EXPECT_EQ(healthy.exitCode, 0) << healthy.err.toStdString();
  EXPECT_TRUE(healthy.out.startsWith("4 videos, 0 damaged")) << healthy.out.toStdString();
  for (const QStringList& arguments : {QStringList{"check"}, QStringList{"check", card.root(), card.root()},
                                       QStringList{"check", card.path("NORMAL/none")}, QStringList{"repair"}}) {
    EXPECT_EQ(test::runCli(arguments).exitCode, 2) << arguments.join(' ').toStdString();
  }
}

}  // namespace
}  // namespace dashcard
