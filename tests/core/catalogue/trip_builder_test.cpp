// Trips, their driving events and the camera clock, from telemetry files on disk.
#include "core/catalogue/place_names.h"
#include "core/catalogue/trip_builder.h"
#include "core/export/gpx_writer.h"
#include "support/drive_script.h"
#include "support/temp_card.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace dashcard {
namespace {

using test::DriveScript;

const QDateTime kBase(QDate(2024, 5, 17), QTime(8, 0), QTimeZone::utc());

QString stamp(const QDateTime& t) { return t.toString(QStringLiteral("yyyyMMddHHmmss")); }

// A card written clip by clip: an empty video and, unless left out, its
// telemetry file beside it. Names carry the camera's wall clock.
class CardWriter {
 public:
  QString root() const { return dir_.path(); }

  QString add(const QDateTime& wall, const QByteArray& telemetry, const QString& folder = QStringLiteral("NORMAL")) {
    const QString letter = folder == QLatin1String("NORMAL") ? QStringLiteral("N") : QStringLiteral("E");
    const QString base = QStringLiteral("%1_%2_%3").arg(stamp(kBase), stamp(wall), letter);
    const QString video = folder + QStringLiteral("/F_") + base + QStringLiteral(".MP4");
    EXPECT_TRUE(test::writeFileAt(root(), video));
    if (!telemetry.isNull()) {
      EXPECT_TRUE(test::writeFileAt(root(), folder + QStringLiteral("/N_") + base + QStringLiteral(".NMEA"), telemetry));
    }
    return video;
  }
  // A minute of cruising that starts at `wall` by the camera and at `gps` by GPS.
  QString minute(const QDateTime& wall, const QString& tripID = {}, const QString& folder = QStringLiteral("NORMAL"),
                 const QDateTime& gps = {}) {
    DriveScript script(gps.isValid() ? gps : wall, 12.0);
    script.tripID = tripID;
    script.cruise(60);
    return add(wall, script.text(), folder);
  }

  TripBuilder::Result build(const TripBuilder::Options& options = {}, const TripOverrides& overrides = {}) {
    recordings = test::scanRecordings(root());
    return TripBuilder::build(recordings, TripBuilder::readTelemetry(recordings), options, overrides);
  }

  DCFInfoList recordings;

 private:
  QTemporaryDir dir_;
};

std::vector<std::vector<QString>> partition(const TripBuilder::Result& result) {
  std::vector<std::vector<QString>> trips;
  for (const Trip& trip : result.trips) {
    trips.emplace_back();
    for (const DCFInfoPtr& info : trip.recordings) trips.back().push_back(info->deltaPath());
  }
  return trips;
}

struct Clip {
  int minute;
  QString tripID = {};
  QString folder = QStringLiteral("NORMAL");
  bool telemetry = true;
};

struct GroupingCase {
  const char* name;
  QDateTime base;
  std::vector<Clip> clips;
  std::vector<std::vector<int>> trips;  // clip indexes
};

TEST(TripBuilder, GroupsByTripIdElseByGaps) {
  const QDateTime beforeMidnight(QDate(2024, 5, 17), QTime(23, 58, 30), QTimeZone::utc());
  const std::vector<GroupingCase> cases = {
      {"a pause of six minutes starts a trip", kBase, {{0}, {1}, {2}, {9}}, {{0, 1, 2}, {3}}},
      {"a pause of exactly five minutes does not", kBase, {{0}, {1}, {7}}, {{0, 1, 2}}},
      {"parking recordings stay out and end a trip",
       kBase,
       {{0}, {1}, {2, {}, QStringLiteral("PARKING")}, {3}},
       {{0, 1}, {3}}},
      {"midnight inside a drive", beforeMidnight, {{0}, {1}, {2}, {3}}, {{0, 1, 2, 3}}},
      {"a clip without telemetry keeps its place", kBase, {{0}, {1, {}, QStringLiteral("NORMAL"), false}, {2}},
       {{0, 1, 2}}},
      {"shared trip ids decide", kBase, {{0, "000007"}, {1, "000007"}, {2, "000008"}, {3, "000008"}},
       {{0, 1}, {2, 3}}},
      {"one trip id across a long pause", kBase, {{0, "000007"}, {30, "000007"}, {31, "000007"}}, {{0, 1, 2}}},
      {"ids that change every file are file numbers: gaps decide",
       kBase,
       {{0, "000001"}, {1, "000002"}, {2, "000003"}, {20, "000004"}},
       {{0, 1, 2}, {3}}},
  };
  for (const GroupingCase& c : cases) {
    SCOPED_TRACE(c.name);
    CardWriter card;
    std::vector<QString> paths;
    for (const Clip& clip : c.clips) {
      const QDateTime wall = c.base.addSecs(clip.minute * 60);
      if (clip.telemetry) {
        paths.push_back(card.minute(wall, clip.tripID, clip.folder));
      } else {
        paths.push_back(card.add(wall, QByteArray()));
      }
    }
    const TripBuilder::Result result = card.build();
    std::vector<std::vector<QString>> expected;
    for (const auto& trip : c.trips) {
      expected.emplace_back();
      for (int index : trip) expected.back().push_back(paths[static_cast<std::size_t>(index)]);
    }
    EXPECT_EQ(partition(result), expected);
  }
}

TEST(TripBuilder, FiguresOfATripAcrossMidnight) {
  CardWriter card;
  const QDateTime start(QDate(2024, 5, 17), QTime(23, 59, 0), QTimeZone::utc());
  card.minute(start);
  card.minute(start.addSecs(60));
  TripBuilder::Options options;
  options.cameraZone = QTimeZone(9 * 3600);
  // Names in the camera's zone (UTC+9): the same instants as the fixes.
  CardWriter local;
  for (int i = 0; i < 2; ++i) {
    DriveScript script(start.addSecs(60 * i), 12.0);
    script.cruise(60);
    local.add(start.addSecs(60 * i + 9 * 3600), script.text());
  }
  const TripBuilder::Result result = local.build(options);
  ASSERT_EQ(result.trips.size(), 1);
  const Trip& trip = result.trips.front();
  EXPECT_EQ(trip.start, start);
  EXPECT_EQ(trip.end, start.addSecs(120));
  EXPECT_EQ(trip.startLocal.toString(QStringLiteral("yyyy-MM-dd HH:mm")), QStringLiteral("2024-05-18 08:59"));
  EXPECT_DOUBLE_EQ(trip.durationSeconds, 120.0);
  // 12 m/s for 119 seconds between the first and the last fix.
  EXPECT_NEAR(trip.distanceMeters, 12.0 * 119, 15.0);
  EXPECT_NEAR(trip.maxSpeedMps, 12.0, 0.05);
  EXPECT_NEAR(trip.averageMovingSpeedMps, 12.0, 0.05);
  ASSERT_TRUE(result.clockOffsetSeconds.has_value());
  EXPECT_NEAR(*result.clockOffsetSeconds, 0.0, 0.5);
}

TEST(TripBuilder, MergeAndSplitAreRememberedPerCard) {
  CardWriter card;
  std::vector<QString> paths;
  for (int minute : {0, 1, 10, 11, 20}) paths.push_back(card.minute(kBase.addSecs(minute * 60)));
  ASSERT_EQ(card.build().trips.size(), 3);
  const QString identity = TripOverrides::cardIdentity(card.root(), card.recordings);
  EXPECT_TRUE(identity.endsWith(QStringLiteral("|F_20240517080000_20240517080000_N.MP4"))) << identity.toStdString();

  QTemporaryDir store;
  const QString folder = store.filePath(QStringLiteral("data/trips"));
  TripOverrides overrides;
  overrides.merge(paths[2]);
  ASSERT_TRUE(overrides.save(folder, identity));
  TripOverrides reloaded = TripOverrides::load(folder, identity);
  EXPECT_EQ(partition(card.build({}, reloaded)),
            (std::vector<std::vector<QString>>{{paths[0], paths[1], paths[2], paths[3]}, {paths[4]}}));

  reloaded.split(paths[1]);
  ASSERT_TRUE(reloaded.save(folder, identity));
  reloaded = TripOverrides::load(folder, identity);
  EXPECT_EQ(partition(card.build({}, reloaded)),
            (std::vector<std::vector<QString>>{{paths[0]}, {paths[1], paths[2], paths[3]}, {paths[4]}}));
  // Merging where the user split takes the split back.
  reloaded.merge(paths[1]);
  EXPECT_EQ(card.build({}, reloaded).trips.size(), 2);

  // Another card, a damaged file and a folder in its place read as no overrides.
  EXPECT_TRUE(TripOverrides::load(folder, identity + QStringLiteral("x")).isEmpty());
  const QStringList files = QDir(folder).entryList(QDir::Files);
  ASSERT_EQ(files.size(), 1);
  test::writeFileAt(folder, files.front(), "{\"card\": ");
  EXPECT_TRUE(TripOverrides::load(folder, identity).isEmpty());
  QFile::remove(QDir(folder).filePath(files.front()));
  QDir(folder).mkdir(files.front());
  EXPECT_TRUE(TripOverrides::load(folder, identity).isEmpty());
  EXPECT_FALSE(TripOverrides().save(folder, identity));
}

// The events of one clip of 90 seconds driven by `script` on a sensor mounted `mount`.
QList<TripEvent> eventsOf(const std::function<void(DriveScript&)>& drive, const DriveScript::Mount& mount) {
  CardWriter card;
  DriveScript script(kBase, 15.0, mount);
  drive(script);
  card.add(kBase, script.text());
  const TripBuilder::Result result = card.build();
  EXPECT_EQ(result.trips.size(), 1);
  return result.trips.isEmpty() ? QList<TripEvent>() : result.trips.front().events;
}

// Gentle speed changes, as in town: what tells the forward axis and must never count.
void gentle(DriveScript& s, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    s.add(4, {1.2, 0.0}).add(3, {0.0, 1.5}).add(4, {-1.2, 0.0}).add(3, {0.0, -1.5});
  }
}

TEST(TripBuilder, DrivingEventsWhateverTheMount) {
  const double s = std::sin(0.5), c = std::cos(0.5);
  const std::vector<std::pair<const char*, DriveScript::Mount>> mounts = {
      {"flat, gravity on z", DriveScript::flat()},
      {"upright on the windscreen, gravity on -y", {{{0, 1, 0}, {0, 0, -1}, {1, 0, 0}}}},
      {"gravity on x", {{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}}},
      {"tilted and turned", {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}}},
  };
  for (const auto& [name, mount] : mounts) {
    SCOPED_TRACE(name);
    const QList<TripEvent> none = eventsOf([](DriveScript& d) { gentle(d, 6); }, mount);
    EXPECT_TRUE(none.isEmpty()) << "smooth drive gave " << none.size();

    const QList<TripEvent> knocks = eventsOf(
        [](DriveScript& d) {
          gentle(d, 3);
          d.add(1, {0.0, 0.0, true, 0.0, 0.0, -2.0}).add(1, {0.0, 0.0, true, 0.0, 0.0, 1.5});
          gentle(d, 3);
        },
        mount);
    EXPECT_TRUE(knocks.isEmpty()) << "single-sample spikes gave " << knocks.size();

    const QList<TripEvent> events = eventsOf(
        [](DriveScript& d) {
          gentle(d, 2);                      // 0..27
          d.add(2, {-6.0, 0.0});             // 28: braking, 0.61 g
          d.cruise(8);                       // 30
          d.add(2, {4.5, 0.0});              // 38: pulling away, 0.46 g
          d.cruise(8);                       // 40
          d.add(3, {0.0, -6.5});             // 48: a sharp bend, 0.66 g
          gentle(d, 2);
        },
        mount);
    ASSERT_EQ(events.size(), 3);
    const struct {
      DrivingEvent::Kind kind;
      int second;
      double g;
    } expected[] = {{DrivingEvent::Kind::Braking, 28, 0.61},
                    {DrivingEvent::Kind::Acceleration, 38, 0.46},
                    {DrivingEvent::Kind::Cornering, 48, 0.66}};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(events[i].event.kind, expected[i].kind) << i;
      EXPECT_NEAR(events[i].time.toMSecsSinceEpoch(), kBase.addSecs(expected[i].second).toMSecsSinceEpoch(), 1000)
          << i;
      EXPECT_NEAR(events[i].event.peakG, expected[i].g, 0.06) << i;
      EXPECT_GE(events[i].event.durationSeconds, 1.5) << i;
    }
  }
}

TEST(TripBuilder, ClockOffsetAgainstGps) {
  const QDateTime gps(QDate(2024, 5, 17), QTime(10, 0), QTimeZone::utc());
  struct Case {
    const char* name;
    QTimeZone zone;
    qint64 zoneSeconds;
    qint64 shift;
  };
  const std::vector<Case> cases = {
      {"UTC camera, on time", QTimeZone::utc(), 0, 0},
      {"UTC camera, 9 hours behind", QTimeZone::utc(), 0, -9 * 3600},
      {"UTC camera, 13 hours ahead", QTimeZone::utc(), 0, 13 * 3600},
      {"UTC+9 camera, 7 seconds fast", QTimeZone(9 * 3600), 9 * 3600, 7},
      {"UTC-3:30 camera, 4 seconds slow", QTimeZone(-(3 * 3600 + 1800)), -(3 * 3600 + 1800), -4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CardWriter card;
    for (int i = 0; i < 5; ++i) {
      DriveScript script(gps.addSecs(60 * i), 10.0);
      // A cold start: the first fixes of the card are void.
      script.add(i == 0 ? 8 : 0, {0.0, 0.0, false}).cruise(i == 0 ? 52 : 60);
      card.add(gps.addSecs(60 * i + c.zoneSeconds + c.shift), script.text());
    }
    // One clip whose receiver reported a time a day off.
    DriveScript wrong(gps.addSecs(300 + 86400), 10.0);
    wrong.cruise(60);
    card.add(gps.addSecs(300 + c.zoneSeconds + c.shift), wrong.text());
    TripBuilder::Options options;
    options.cameraZone = c.zone;
    const TripBuilder::Result result = card.build(options);
    ASSERT_TRUE(result.clockOffsetSeconds.has_value());
    EXPECT_NEAR(*result.clockOffsetSeconds, static_cast<double>(c.shift), 1.0);
    EXPECT_EQ(TripBuilder::clockOffsetSeconds(card.recordings, TripBuilder::readTelemetry(card.recordings), c.zone),
              result.clockOffsetSeconds);
  }
}

TEST(TripBuilder, ClockOffsetFollowsDaylightSavingInsideACard) {
  const QTimeZone newYork("America/New_York");
  if (!newYork.isValid()) GTEST_SKIP() << "the system has no time-zone database";
  // Clocks went forward at 07:00 UTC on 10 March 2024.
  CardWriter card;
  const QDateTime gps(QDate(2024, 3, 10), QTime(6, 57), QTimeZone::utc());
  for (int i = 0; i < 6; ++i) {
    const QDateTime at = gps.addSecs(60 * i);
    const QDateTime wall = at.toTimeZone(newYork);
    DriveScript script(at, 10.0);
    script.cruise(60);
    card.add(QDateTime(wall.date(), wall.time(), QTimeZone::utc()), script.text());
  }
  TripBuilder::Options options;
  options.cameraZone = newYork;
  const TripBuilder::Result result = card.build(options);
  ASSERT_TRUE(result.clockOffsetSeconds.has_value());
  EXPECT_NEAR(*result.clockOffsetSeconds, 0.0, 1.0);
  ASSERT_EQ(result.trips.size(), 1) << "the hour the clocks skipped is no pause";
}

TEST(TripBuilder, NoFixesNoOffset) {
  CardWriter card;
  DriveScript script(kBase, 10.0);
  script.add(60, {0.0, 0.0, false});
  card.add(kBase, script.text());
  card.add(kBase.addSecs(60), QByteArray());
  const TripBuilder::Result result = card.build();
  EXPECT_FALSE(result.clockOffsetSeconds.has_value());
  ASSERT_EQ(result.trips.size(), 1);
  EXPECT_EQ(result.trips.front().distanceMeters, 0.0);
  EXPECT_EQ(result.trips.front().start, kBase);
}

TEST(TripBuilder, JumpAndSpikeLeaveTheFiguresButStayInTheExport) {
  CardWriter card;
  DriveScript script(kBase, 20.0);
  script.cruise(30).add(1, {0.0, 0.0, true, 5000.0}).cruise(19).add(1, {0.0, 0.0, true, 0.0, 30.0}).cruise(9);
  card.add(kBase, script.text());
  const TripBuilder::Result result = card.build();
  ASSERT_EQ(result.trips.size(), 1);
  const Trip& trip = result.trips.front();
  EXPECT_NEAR(trip.maxSpeedMps, 20.0, 0.05);
  EXPECT_NEAR(trip.distanceMeters, 20.0 * 59, 30.0);

  // The model and the GPX export keep both.
  const auto fixes = card.recordings.front()->nmea()->varidLocations();
  ASSERT_EQ(fixes.size(), 60u);
  double maxSpeed = 0.0;
  double maxLatitude = -90.0;
  for (const CustomLocation& fix : fixes) {
    maxSpeed = std::max(maxSpeed, fix.speed);
    maxLatitude = std::max(maxLatitude, fix.latitude);
  }
  EXPECT_GT(maxSpeed, 45.0);
  EXPECT_GT(maxLatitude, script.latitude + 4000 / 111195.0);
  const QString gpx = QString::fromUtf8(GpxWriter::document(fixes.toVector(), QStringLiteral("trip")));
  EXPECT_EQ(gpx.count(QStringLiteral("<trkpt ")), 60);
  const QRegularExpression latitude(QStringLiteral("lat=\"([0-9.]+)\""));
  double exportedMax = 0.0;
  for (auto it = latitude.globalMatch(gpx); it.hasNext();) exportedMax = std::max(exportedMax, it.next().captured(1).toDouble());
  EXPECT_NEAR(exportedMax, maxLatitude, 1e-5);
}

QByteArray varint(std::uint64_t v) {
  QByteArray out;
  do {
    out.append(static_cast<char>((v & 0x7F) | (v > 0x7F ? 0x80 : 0)));
    v >>= 7;
  } while (v != 0);
  return out;
}
QByteArray zigzag(std::int64_t v) { return varint(static_cast<std::uint64_t>((v << 1) ^ (v >> 63))); }

TEST(PlaceNames, NearestTownAndDamagedData) {
  // Two towns 0.1 degree apart on the equator, one beside the date line.
  QByteArray data = QByteArray("DCPL\x01", 5) + varint(3);
  data += zigzag(-100) + zigzag(1799900) + varint(1500) + "FJ" + varint(4) + "East";
  data += zigzag(100) + zigzag(-1799900) + varint(2000) + "XX" + varint(5) + "Alpha";
  data += zigzag(0) + zigzag(1000) + varint(3000) + "XX" + varint(4) + "Beta";
  PlaceNames places;
  ASSERT_TRUE(places.load(data));
  EXPECT_EQ(places.size(), 3u);
  EXPECT_EQ(places.nameNear(0.0, 0.04), QStringLiteral("Alpha, XX"));
  EXPECT_EQ(places.nameNear(0.0, 0.06), QStringLiteral("Beta, XX"));
  EXPECT_EQ(places.nameNear(-0.01, -179.995), QStringLiteral("East, FJ")) << "across the date line";
  EXPECT_EQ(places.nameNear(10.0, 10.0), QString());
  EXPECT_FALSE(places.nearest(std::nan(""), 0.0).has_value());
  EXPECT_EQ(places.nearest(45.0, 0.0, 1e30)->name, QStringLiteral("Alpha")) << "a radius past the poles";
  EXPECT_FALSE(places.nearest(0.0, 0.0, -1.0).has_value());

  for (const QByteArray& bad : {data.left(data.size() - 2), data + "x", QByteArray("DCPL\x02", 5) + data.mid(5),
                                QByteArray("XXXX"), QByteArray(), data.left(6) + zigzag(INT64_MAX / 2)}) {
    PlaceNames damaged;
    EXPECT_FALSE(damaged.load(bad));
    EXPECT_EQ(damaged.size(), 0u);
  }
  // Boxes for the map's labels: the most populous first, across the date line too.
  const struct {
    double south, north, west, east;
    std::uint32_t minPopulation;
    std::size_t limit;
    QStringList names;
  } boxes[] = {
      {-1, 1, -1, 1, 0, 5, {"Beta", "Alpha"}}, {-1, 1, -1, 1, 2500, 5, {"Beta"}}, {-1, 1, -1, 1, 0, 1, {"Beta"}},
      {-1, 1, 179, -179, 0, 5, {"East"}},      {1, -1, -1, 1, 0, 5, {}},          {5, 6, -1, 1, 0, 5, {}}};
  for (const auto& box : boxes) {
    QStringList names;
    for (const auto& place : places.within(box.south, box.north, box.west, box.east, box.minPopulation, box.limit)) {
      names << place.name;
    }
    EXPECT_EQ(names, box.names) << box.west << " " << box.east << " " << box.minPopulation;
  }

  const auto builtIn = PlaceNames::builtIn();
  EXPECT_GT(builtIn->size(), 100000u);
  EXPECT_TRUE(builtIn->nameNear(52.52, 13.41).endsWith(QStringLiteral(", DE")));  // Berlin or one of its districts
  EXPECT_EQ(builtIn->nameNear(0.0, -30.0), QString()) << "mid-Atlantic";
}

}  // namespace
}  // namespace dashcard
