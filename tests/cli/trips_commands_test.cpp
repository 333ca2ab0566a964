// dashcard-cli trips, events and the clock offset of scan --json.
#include "support/drive_script.h"
#include "support/temp_card.h"
#include "support/test_paths.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

QJsonObject jsonOf(const test::CliResult& result) {
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  return QJsonDocument::fromJson(result.out.toUtf8()).object();
}

QStringList keysOf(const QJsonValue& value) {
  QStringList keys = value.toObject().keys();
  keys.sort();
  return keys;
}

TEST(CliTrips, SampleCardIsOneDriveWithoutItsParkingClip) {
  SampleCardOptions options;
  options.clips = 6;
  options.clipSeconds = 60;
  options.encodeVideos = false;
  options.telemetry = SampleTelemetryPlace::Mixed;
  test::TempCard card(options);
  ASSERT_TRUE(card.ok()) << card.error().toStdString();

  const QJsonArray trips = jsonOf(test::runCli({"trips", "--json", card.root()})).value("trips").toArray();
  ASSERT_EQ(trips.size(), 1);
  const QJsonObject trip = trips.at(0).toObject();
  EXPECT_EQ(keysOf(trip), QStringList({"distanceMeters", "durationSeconds", "end", "events", "from", "maxSpeedMps",
                                       "recordings", "start", "to"}));
  QJsonArray expected;
  for (const SampleClip& clip : card.clips()) {
    if (clip.folder != QLatin1String("PARKING")) expected.append(clip.frontPath);
  }
  EXPECT_EQ(trip.value("recordings").toArray(), expected);
  // The first clip starts with four void fixes: GPS time begins at its start all the same.
  EXPECT_EQ(trip.value("start").toString(), card.clips().front().start.toString(Qt::ISODateWithMs));
  EXPECT_DOUBLE_EQ(trip.value("durationSeconds").toDouble(), 5 * 60.0);
  EXPECT_GT(trip.value("distanceMeters").toDouble(), 1000.0);
  EXPECT_LT(trip.value("maxSpeedMps").toDouble(), 121 / 3.6);
  // The simulated drive is near Tokyo.
  EXPECT_TRUE(trip.value("from").toString().endsWith(QStringLiteral(", JP"))) << trip.value("from").toString().toStdString();
  EXPECT_EQ(trip.value("events").toInt(), 0);

  const test::CliResult text = test::runCli({"trips", card.root()});
  ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.startsWith(QStringLiteral("Card %1: 1 trips\nTrip 1: ").arg(card.root())))
      << text.out.toStdString();

  const QJsonObject scan = jsonOf(test::runCli({"scan", "--json", card.root()}));
  ASSERT_TRUE(scan.value("clockOffsetSeconds").isDouble());
  EXPECT_NEAR(scan.value("clockOffsetSeconds").toDouble(), 0.0, 1.0);
  EXPECT_EQ(jsonOf(test::runCli({"events", "--json", card.root()})), QJsonObject({{"events", QJsonArray()}}));
}

TEST(CliEvents, InjectedBrakingAndCornering) {
  QTemporaryDir dir;
  const QDateTime start(QDate(2024, 5, 17), QTime(8, 0), QTimeZone::utc());
  test::DriveScript drive(start, 15.0);
  for (int i = 0; i < 3; ++i) drive.add(4, {1.2, 0.0}).add(4, {-1.2, 0.0});
  drive.add(2, {-6.0, 0.0}).cruise(10).add(3, {0.0, 6.5}).cruise(10);
  // The camera's clock in Japan's time: names nine hours ahead of GPS.
  const QString base = QStringLiteral("NORMAL/%1_20240517170000_20240517170000_N.");
  ASSERT_TRUE(test::writeFileAt(dir.path(), base.arg("F") + "MP4"));
  ASSERT_TRUE(test::writeFileAt(dir.path(), base.arg("N") + "NMEA", drive.text()));
  ASSERT_TRUE(test::writeFileAt(dir.path(), "rynd_settings.ini", "TIME_ZONE JST\r\n"));

  const QJsonArray all = jsonOf(test::runCli({"events", "--json", dir.path()})).value("events").toArray();
  ASSERT_EQ(all.size(), 2) << QJsonDocument(all).toJson().toStdString();
  const QJsonObject braking = all.at(0).toObject();
  EXPECT_EQ(keysOf(braking), QStringList({"kind", "peakG", "recording", "time"}));
  EXPECT_EQ(braking.value("kind").toString(), QStringLiteral("braking"));
  EXPECT_EQ(braking.value("recording").toString(), QStringLiteral("NORMAL/F_20240517170000_20240517170000_N.MP4"));
  EXPECT_EQ(braking.value("time").toString(), QStringLiteral("2024-05-17T08:00:24.000Z"));
  EXPECT_NEAR(braking.value("peakG").toDouble(), 0.61, 0.06);
  EXPECT_EQ(all.at(1).toObject().value("kind").toString(), QStringLiteral("cornering"));

  const QJsonArray corners =
      jsonOf(test::runCli({"events", "--json", "--kind", "cornering", dir.path()})).value("events").toArray();
  ASSERT_EQ(corners.size(), 1);
  EXPECT_EQ(corners.at(0), all.at(1));
  EXPECT_EQ(jsonOf(test::runCli({"trips", "--json", dir.path()})).value("trips").toArray().at(0).toObject().value("events"),
            QJsonValue(2));
  const QJsonObject scan = jsonOf(test::runCli({"scan", "--json", dir.path()}));
  EXPECT_NEAR(scan.value("clockOffsetSeconds").toDouble(), 0.0, 1.0);
}

TEST(CliTrips, WrongUsageAndCardsWithoutFixes) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::writeFileAt(dir.path(), "NORMAL/F_20240517080000_20240517080000_N.MP4"));
  const struct {
    QStringList arguments;
    int exitCode;
  } cases[] = {
      {{"events", "--kind", "swerving", dir.path()}, 2},
      {{"trips", "--gap", "-1", dir.path()}, 2},
      {{"trips", "--gap", "soon", dir.path()}, 2},
      {{"trips"}, 2},
      {{"events", dir.path() + "/missing"}, 2},
      {{"trips", dir.path() + "/NORMAL"}, 2},
  };
  for (const auto& c : cases) {
    const test::CliResult result = test::runCli(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << result.err.toStdString();
  }
  // A clip without telemetry is still a trip; no fix, no offset, no places.
  const QJsonArray trips = jsonOf(test::runCli({"trips", "--json", dir.path()})).value("trips").toArray();
  ASSERT_EQ(trips.size(), 1);
  EXPECT_TRUE(trips.at(0).toObject().value("from").isNull());
  EXPECT_TRUE(jsonOf(test::runCli({"scan", "--json", dir.path()})).value("clockOffsetSeconds").isNull());
}

TEST(CliTrips, MergeAndSplitAreRememberedOutsideTheCard) {
  QTemporaryDir dir;
  QTemporaryDir data;
  const QDateTime start(QDate(2024, 5, 17), QTime(8, 0), QTimeZone::utc());
  QStringList names;
  for (int minute : {0, 1, 10, 11}) {
    test::DriveScript drive(start.addSecs(minute * 60), 10.0);
    drive.cruise(60);
    const QString base = QStringLiteral("NORMAL/%1_20240517080000_") + start.addSecs(minute * 60).toString("yyyyMMddHHmmss") +
                         QStringLiteral("_N.");
    ASSERT_TRUE(test::writeFileAt(dir.path(), base.arg("F") + "MP4"));
    ASSERT_TRUE(test::writeFileAt(dir.path(), base.arg("N") + "NMEA", drive.text()));
    names.append(base.arg("F") + "MP4");
  }
  const QStringList environment = {QStringLiteral("XDG_DATA_HOME=") + data.path()};
  auto tripCount = [&](const QStringList& extra) {
    const test::CliResult result = test::runCliIn(dir.path(), QStringList{"trips", "--json", dir.path()} + extra, environment);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out.toUtf8()).object().value("trips").toArray().size();
  };
  EXPECT_EQ(tripCount({}), 2);
  EXPECT_EQ(tripCount({"--merge", names[2]}), 1);
  EXPECT_EQ(tripCount({}), 1) << "the merge is remembered";
  EXPECT_EQ(tripCount({"--split", QFileInfo(names[1]).fileName()}), 2);
  EXPECT_EQ(tripCount({"--split", names[3]}), 3);
  EXPECT_EQ(test::runCliIn(dir.path(), {"trips", "--merge", "NORMAL/none.MP4", dir.path()}, environment).exitCode, 2);
  // Nothing was written on the card.
  QStringList onCard;
  for (QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) onCard.append(it.next());
  EXPECT_EQ(onCard.size(), 8);
  EXPECT_FALSE(QDir(data.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

}  // namespace
}  // namespace dashcard
