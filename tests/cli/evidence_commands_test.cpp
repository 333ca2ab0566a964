// dashcard-cli verify (and report) as a user runs them.
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using Result = test::CliResult;

Result cli(const QStringList& arguments) { return test::runCli(arguments); }

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

}  // namespace
}  // namespace dashcard
