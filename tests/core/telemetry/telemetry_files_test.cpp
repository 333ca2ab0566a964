#include "core/catalogue/sample_card_maker.h"
#include "core/telemetry/nmea_data.h"
#include "support/test_paths.h"
#include "core/telemetry/telemetry_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace dashcard {
namespace {

using test::TelemetryFile;

const QDateTime kStart = QDateTime(QDate(2024, 3, 9), QTime(23, 59, 30), Qt::UTC);

TEST(TelemetryFiles, SimulatedDriveAcrossMidnight) {
  TelemetryFile file(SampleCardMaker::driveTelemetry(7, kStart, 60, 5));
  const NMEAData& data = file.parsed();
  EXPECT_FALSE(data.tripID().isEmpty());
  EXPECT_FALSE(data.imeiNumber().isEmpty());
  const GOPList groups = data.GOPs();
  ASSERT_EQ(groups.size(), 60u);
  EXPECT_EQ(data.totalLocations().size(), 60u);
  EXPECT_EQ(data.varidLocations().size(), 55u);
  EXPECT_EQ(data.motions().size(), 600u);
  std::size_t samples = 0;
  std::size_t driveSupports = 0;
  for (const GOPData& group : groups) {
    samples += group.motions().size();
    driveSupports += group.driveSupportInfos().size();
  }
  EXPECT_EQ(samples, 600u);
  EXPECT_EQ(driveSupports, data.driveSupports().size());
  EXPECT_FALSE(groups[4].isValid());
  EXPECT_TRUE(groups[5].isValid());
  EXPECT_EQ(groups[59].location().timestamp, kStart.addSecs(59));
  EXPECT_EQ(groups[59].location().timestamp.date(), QDate(2024, 3, 10));
  double maxSpeed = 0;
  for (const CustomLocation& fix : data.varidLocations()) {
    maxSpeed = std::max(maxSpeed, fix.speed);
  }
  EXPECT_EQ(data.maxSpeed(), maxSpeed);
  EXPECT_GT(data.maxMotionABS(), 0.5);
}

QStringList corpusFiles() {
  const QString dir = test::nmeaCorpusDir();
  if (dir.isEmpty()) {
    return {};
  }
  QStringList files;
  for (const QString& name : QDir(dir).entryList(QDir::Files, QDir::Name)) {
    files << QDir(dir).filePath(name);
  }
  return files;
}

struct PeerFix {
  double latitude, longitude, speed, course;
};

// The valid fixes gpsbabel reads from `path`, by time (ms since the epoch).
QMap<qint64, PeerFix> peerFixes(const QString& path) {
  QProcess peer;
  peer.start(QStringLiteral("gpsbabel"), {QStringLiteral("-t"), QStringLiteral("-i"), QStringLiteral("nmea,gpgga=0,gpvtg=0"),
                                          QStringLiteral("-f"), path, QStringLiteral("-o"), QStringLiteral("unicsv,utc=0"),
                                          QStringLiteral("-F"), QStringLiteral("-")});
  peer.waitForFinished(60000);
  QMap<qint64, PeerFix> fixes;
  const QList<QByteArray> lines = peer.readAllStandardOutput().split('\n');
  for (const QByteArray& line : lines.mid(1)) {
    const QList<QByteArray> f = line.trimmed().split(',');
    if (f.size() < 12 || f[3].isEmpty()) {
      continue;  // no speed: a fix from a position-only sentence
    }
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(f[10] + ' ' + f[11]),
                                                 f[11].contains('.') ? QStringLiteral("yyyy/MM/dd HH:mm:ss.zzz")
                                                                     : QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    QDateTime utc = when;
    utc.setTimeSpec(Qt::UTC);
    fixes.insert(utc.toMSecsSinceEpoch(), {f[1].toDouble(), f[2].toDouble(), f[3].toDouble(), f[4].toDouble()});
  }
  return fixes;
}

// Real receivers' logs: one test, so that a checkout without the corpus
// beside it says so once.
TEST(TelemetryFiles, CorpusParsesAndValidFixesAgreeWithGpsbabel) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty())
      << "gpsbabel is missing: run scripts/install-deps.sh";
  const QStringList files = corpusFiles();
  if (files.isEmpty()) {
    GTEST_SKIP() << "no NMEA corpus beside this checkout (../shared/corpus/nmea)";
  }
  int filesWithFixes = 0;
  for (const QString& path : files) {
    NMEAData data(path);
    data.setup();
    EXPECT_FALSE(data.isParsing());
    for (const GOPData& group : data.GOPs()) {
      const CustomLocation& fix = group.location();
      EXPECT_TRUE(fix.latitude == -999.0 || std::fabs(fix.latitude) <= 90.0) << path.toStdString();
      EXPECT_TRUE(std::isfinite(fix.speed) && std::isfinite(fix.course));
    }
    filesWithFixes += data.varidLocations().empty() ? 0 : 1;
  }
  // Most logs hold fixes: a parser that read nothing would pass the ranges.
  EXPECT_GE(filesWithFixes * 2, files.size());

  // The files whose position sentences have the 13 fields the parser reads.
  const QString dir = test::nmeaCorpusDir();
  for (const char* name : {"gpsd_telit-he910.log", "gpsd_ublox-8.log", "gpsd_rx210.log", "gpsd_bundg_zeus_9.log"}) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(name));
    const QMap<qint64, PeerFix> peer = peerFixes(path);
    ASSERT_FALSE(peer.isEmpty()) << name;
    NMEAData data(path);
    data.setup();
    QMap<qint64, CustomLocation> ours;
    for (const CustomLocation& fix : data.varidLocations()) {
      ours.insert(fix.timestamp.toMSecsSinceEpoch(), fix);
    }
    int compared = 0;
    for (auto it = peer.begin(); it != peer.end(); ++it) {
      ASSERT_TRUE(ours.contains(it.key())) << name << " " << it.key();
      const CustomLocation& fix = ours[it.key()];
      const PeerFix& expected = it.value();
      EXPECT_NEAR(fix.latitude, expected.latitude, 1e-6) << name << " " << it.key();
      EXPECT_NEAR(fix.longitude, expected.longitude, 1e-6) << name << " " << it.key();
      // gpsbabel prints m/s with 2 decimals and uses 1852/3600 for a knot.
      EXPECT_NEAR(fix.speed, expected.speed, 0.005 + 1e-4 * expected.speed) << name << " " << it.key();
      if (fix.course != -1.0) {
        EXPECT_NEAR(fix.course, expected.course, 0.05) << name << " " << it.key();
      }
      ++compared;
    }
    EXPECT_GT(compared, 30) << name;
  }
}

TEST(TelemetryFiles, ReadersDuringParsesSeeWholeLists) {
  // No header, so every setup parses the file again.
  QByteArray text = SampleCardMaker::driveTelemetry(3, kStart, 120);
  text = text.mid(text.indexOf("$GNRMC"));
  TelemetryFile file(text);
  NMEAData& data = *file.data;
  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!done.load()) {
      const GOPList groups = data.GOPs();
      const auto motions = data.motions();
      const auto fixes = data.totalLocations();
      std::size_t inGroups = 0;
      for (const GOPData& group : groups) {
        inGroups += group.motions().size();
        if (group.isValid() && !group.location().hasCoordinate()) {
          ++bad;
        }
      }
      // Each list is one parse's result: complete, never half-built.
      if (!(groups.empty() || groups.size() == 121u) || inGroups != (groups.empty() ? 0u : 1200u) ||
          !(motions.empty() || motions.size() == 1200u) || !(fixes.empty() || fixes.size() == 120u)) {
        ++bad;
      }
      (void)data.isParsing();
      (void)data.maxSpeed();
    }
  });
  for (int i = 0; i < 30; ++i) {
    data.setup();
  }
  done = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(data.GOPs().size(), 121u);
}

TEST(TelemetryFiles, SetupDuringAnotherThreadsParseWaitsForItsResult) {
  // The export's setup while the walk parses the same file must not return
  // with the lists still empty.
  const QByteArray text = SampleCardMaker::driveTelemetry(3, kStart, 1800);
  TelemetryFile file(text);
  const std::size_t fixes = file.parsed().varidLocations().size();
  ASSERT_GT(fixes, 1000u);
  for (int attempt = 0; attempt < 50; ++attempt) {
    auto data = std::make_shared<NMEAData>(file.path());
    std::thread walk([data] { data->setup(); });
    bool met = false;
    while (!met && data->varidLocations().empty()) {
      met = data->isParsing();
    }
    if (met) {
      data->setup();
      EXPECT_EQ(data->varidLocations().size(), fixes);
    }
    walk.join();
    if (met) {
      return;
    }
  }
  GTEST_SKIP() << "every parse ended before a second setup could meet it";
}

TEST(TelemetryFiles, CommandLinePrintsTheModel) {
  const QString cli = test::cliPath();
  if (cli.isEmpty() || !QFileInfo::exists(cli)) {
    GTEST_SKIP() << "dashcard-cli is not built";
  }
  TelemetryFile file(SampleCardMaker::driveTelemetry(7, kStart, 30, 2), QStringLiteral("N_with space \u00e9.NMEA"));
  QProcess process;
  process.start(cli, {QStringLiteral("telemetry"), file.path(), QStringLiteral("--json")});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0);
  const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
  EXPECT_EQ(json[QStringLiteral("filePath")].toString(), file.path());
  EXPECT_EQ(json[QStringLiteral("GOPs")].toArray().size(), 30);
  EXPECT_EQ(json[QStringLiteral("varidLocations")].toArray().size(), 28);
  EXPECT_EQ(json[QStringLiteral("motions")].toArray().size(), 300);
  const QJsonObject fix = json[QStringLiteral("totalLocations")].toArray().at(2).toObject();
  EXPECT_EQ(fix[QStringLiteral("timestamp")].toString(), QStringLiteral("2024-03-09T23:59:32.000Z"));
  // Numbers read back to the very values of the model.
  const NMEAData& data = file.parsed();
  EXPECT_EQ(json[QStringLiteral("maxSpeed")].toDouble(), data.maxSpeed());
  EXPECT_EQ(fix[QStringLiteral("latitude")].toDouble(), data.totalLocations()[2].latitude);

  process.start(cli, {QStringLiteral("telemetry"), file.path() + QStringLiteral(".missing")});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 2);
  EXPECT_FALSE(process.readAllStandardError().isEmpty());

  file.write(QByteArray("\xFF\xFE\x00binary"));
  process.start(cli, {QStringLiteral("telemetry"), file.path()});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_TRUE(process.readAllStandardOutput().contains("groups: 0"));
}

}  // namespace
}  // namespace dashcard
