// dashcard-cli verify (and report) as a user runs them.
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

namespace dashcard {
namespace {

using Result = test::CliResult;

Result cli(const QStringList& arguments) { return test::runCli(arguments); }

// Standard output of a poppler or coreutils tool; empty when it failed.
QString tool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

const test::TempCard& card() { return test::sharedCard(6, 3, true); }

TEST(CliEvidence, VerifyOfABackupAndItsDifferences) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const QString target = out.filePath("backup 1");
  const SampleClip& clip = card().clips().first();
  const Result backup = cli({"backup", card().root(), target, QFileInfo(clip.frontPath).fileName()});
  ASSERT_EQ(backup.exitCode, 0) << backup.err.toStdString();

  const Result clean = cli({"verify", target});
  EXPECT_EQ(clean.exitCode, 0) << clean.out.toStdString() << clean.err.toStdString();

  ASSERT_TRUE(QFile::remove(QDir(target).filePath(clip.telemetryPath)));
  ASSERT_TRUE(test::writeFileAt(target, "NORMAL/extra.MP4", "x"));
  const Result text = cli({"verify", target});
  EXPECT_EQ(text.exitCode, 1);
  EXPECT_TRUE(text.out.contains(clip.telemetryPath)) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains("NORMAL/extra.MP4")) << text.out.toStdString();

  const Result json = cli({"verify", target, "--json"});
  EXPECT_EQ(json.exitCode, 1);
  const QJsonObject result = QJsonDocument::fromJson(json.out.toUtf8()).object();
  EXPECT_FALSE(result.value("allMatch").toBool(true));
  QStringList kinds;
  for (const QJsonValue& finding : result.value("findings").toArray()) {
    kinds << finding.toObject().value("kind").toString() + ":" + finding.toObject().value("path").toString();
  }
  kinds.sort();
  EXPECT_EQ(kinds, (QStringList{"extra:NORMAL/extra.MP4", "missing:" + clip.telemetryPath}));

  // Usage: no folder, a folder without a list.
  EXPECT_EQ(cli({"verify"}).exitCode, 2);
  EXPECT_EQ(cli({"verify", out.filePath("none")}).exitCode, 2);
  ASSERT_TRUE(QDir().mkpath(out.filePath("plain")));
  const Result unlisted = cli({"verify", out.filePath("plain")});
  EXPECT_EQ(unlisted.exitCode, 2);
  EXPECT_TRUE(unlisted.err.contains("SHA256SUMS")) << unlisted.err.toStdString();
}

TEST(CliEvidence, ReportOfASpanReadsBackWithStandardTools) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  const auto at = [](int clip, int seconds) { return card().clips().at(clip).start.addSecs(seconds); };
  const QString pdf = out.filePath("report 1 é.pdf");
  const Result report = cli({"report", card().root(), "--from", at(1, 1).toString(Qt::ISODate), "--to",
                             at(2, 2).toString(Qt::ISODate), pdf});
  ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();

  const QString text = tool("pdftotext", {pdf, "-"});
  ASSERT_FALSE(text.isEmpty());
  for (const QDateTime& time : {at(1, 1), at(2, 2)}) {
    EXPECT_TRUE(text.contains(time.toUTC().toString("yyyy-MM-dd HH:mm:ss"))) << time.toString().toStdString();
  }
  int pictures = 1;  // the map
  for (const int clip : {1, 2}) {
    const SampleClip& recording = card().clips().at(clip);
    EXPECT_TRUE(text.contains(recording.frontPath)) << recording.frontPath.toStdString();
    for (const QString& file : {recording.frontPath, recording.rearPath, recording.telemetryPath}) {
      if (file.isEmpty()) continue;
      const QString digest = tool("sha256sum", {card().path(file)}).section(' ', 0, 0);
      ASSERT_EQ(digest.size(), 64);
      EXPECT_TRUE(text.contains(digest)) << file.toStdString();
    }
  }
  EXPECT_FALSE(text.contains(card().clips().at(3).frontPath));
  // Front and rear frames at the start, the highest force and the end.
  pictures += 3 * (card().clips().at(1).rearPath.isEmpty() ? 1 : 2);
  const QStringList images = tool("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
  EXPECT_EQ(images.size(), pictures);

  // A span without recordings and wrong usage: exit code 2 and no file.
  const QString none = out.filePath("none.pdf");
  const QList<QStringList> refused{
      {"report", card().root(), "--from", "2031-01-01T00:00:00Z", "--to", "2031-01-01T00:01:00Z", none},
      {"report", card().root(), "--from", at(1, 1).toString(Qt::ISODate), none},
      {"report", card().root(), "--from", at(1, 1).toString(Qt::ISODate), "--to", at(1, 2).toString(Qt::ISODate),
       "--language", "fr", none},
  };
  for (const QStringList& arguments : refused) {
    EXPECT_EQ(cli(arguments).exitCode, 2) << arguments.join(' ').toStdString();
  }
  EXPECT_FALSE(QFile::exists(none));
}

}  // namespace
}  // namespace dashcard
