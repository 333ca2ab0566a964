#include "core/telemetry/telemetry_moment.h"
#include "core/telemetry/telemetry_test_support.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::TelemetryFile;

QByteArray fix(const char* tag, const char* time, const char* status, const char* latitude, const char* knots) {
  return QByteArray(tag) + ',' + time + ',' + status + ',' + latitude + ",N,13945.0000,E," + knots +
         ",90.0,010124,,,A\r\n";
}

const QByteArray kHeader = "$GTRIP,000123,1.04\r\n";
// Delay warning (field 2 set) and a record without any warning.
const QByteArray kDelayWarning = "$QVDSA,2,1,4,,,8,,15.5,1.25,0,0,0,0,0,0,0\r\n";
const QByteArray kNoWarning = "$QVDSA,2,,4,,,8,,15.5,1.25,0,0,0,0,0,0,0\r\n";

TEST(TelemetryMoment, OneRuleForEveryList) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float fraction;
    std::size_t count;
    std::optional<std::size_t> index;
  } cases[] = {
      {0.0f, 10, 0},      {0.0999f, 10, 0},     {0.1f, 10, 1},     {0.999f, 10, 9},
      {1.0f, 10, {}},     // the end of the recording: no item
      {1.5f, 10, {}},     {-0.01f, 10, {}},     {0.5f, 0, {}},     {nan, 10, {}},
      {inf, 10, {}},      {-inf, 10, {}},       {0.9999999f, 3, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TelemetryMoment::indexAt(c.fraction, c.count), c.index) << c.fraction << " of " << c.count;
  }
}

// Four groups, the second with a fix of status "V" and a drive-support warning,
// four G samples in the file.
class TelemetryMomentTest : public ::testing::Test {
 protected:
  TelemetryMomentTest()
      : file(kHeader + fix("$GNRMC", "120000", "A", "3540.0000", "10.0") + "$GSENS,0.1,0,0\r\n" +
             fix("$GNRMC", "120001", "V", "3541.0000", "") + "$GSENS,0.2,0,0\r\n" + kNoWarning + kDelayWarning +
             kNoWarning + fix("$GNRMC", "120002", "A", "3542.0000", "20.0") + "$GSENS,0.3,0,0\r\n" +
             fix("$GNRMC", "120003", "A", "3543.0000", "30.0") + "$GSENS,0.4,0,0\r\n"),
        nmea(file.parsed()) {}

  TelemetryFile file;
  NMEAData& nmea;
};

TEST_F(TelemetryMomentTest, TheGroupOfTheMomentDecidesMarkerWarningAndCapture) {
  ASSERT_EQ(nmea.GOPs().size(), 4u);
  const TelemetryMoment first = TelemetryMoment::at(&nmea, 5.0, 40.0);
  EXPECT_EQ(first.seconds, 5.0);
  EXPECT_EQ(first.duration, 40.0);
  EXPECT_EQ(first.group, 0u);
  EXPECT_TRUE(first.GPSEnable);
  EXPECT_NEAR(first.groupLocation->latitude, 35.0 + 40.0 / 60.0, 1e-9);
  EXPECT_FALSE(first.warning);
  EXPECT_EQ(first.motion, MotionData(0.1, 0.0, 0.0));
  const QDateTime date = QDateTime::fromString(QStringLiteral("2024-01-01T12:00:05Z"), Qt::ISODate);
  const auto captured = first.captureLocation(date);
  ASSERT_TRUE(captured);
  EXPECT_EQ(captured->altitude, 0.0f);
  EXPECT_EQ(captured->horizontalAccuracy, 1.0f);
  EXPECT_EQ(captured->timestamp, date);
  EXPECT_NEAR(captured->speed, 10.0 * 1852.0 / 3600.0, 1e-3);

  // The "V" group: no GPS, nothing to capture, but its newest warning shows.
  const TelemetryMoment second = TelemetryMoment::at(&nmea, 15.0, 40.0);
  EXPECT_EQ(second.group, 1u);
  EXPECT_FALSE(second.GPSEnable);
  EXPECT_FALSE(second.captureLocation(date));
  ASSERT_TRUE(second.warning);
  EXPECT_FALSE(second.warning->appearanceImageName().isEmpty());
  // The file-wide drive-support list is spread over the recording on its own.
  ASSERT_TRUE(second.driveSupport);
  EXPECT_EQ(nmea.driveSupports().size(), 3u);

  // At and past the end, and without a known length: no group at all.
  const std::pair<double, double> outside[] = {{40.0, 40.0}, {41.0, 40.0}, {-1.0, 40.0}, {5.0, 0.0}};
  for (const auto& [seconds, duration] : outside) {
    const TelemetryMoment none = TelemetryMoment::at(&nmea, seconds, duration);
    EXPECT_FALSE(none.group) << seconds << " of " << duration;
    EXPECT_FALSE(none.groupLocation);
    EXPECT_FALSE(none.captureLocation(date));
  }
}

TEST_F(TelemetryMomentTest, ReadoutsReadEveryFixWhileTheMarkerReadsTheGroups) {
  // With "$GPRMC" only there is nothing to cut at: one group holding the
  // last fix, while the file-wide list holds all four. The map and the
  // capture stay on the group's (last) fix; the readouts walk the fixes.
  TelemetryFile uncut(kHeader + fix("$GPRMC", "120000", "A", "3540.0000", "10.0") +
                      fix("$GPRMC", "120001", "A", "3541.0000", "20.0") +
                      fix("$GPRMC", "120002", "A", "3542.0000", "30.0") +
                      fix("$GPRMC", "120003", "A", "3543.0000", "40.0"));
  NMEAData& one = uncut.parsed();
  ASSERT_EQ(one.GOPs().size(), 1u);
  ASSERT_EQ(one.totalLocations().size(), 4u);
  const TelemetryMoment start = TelemetryMoment::at(&one, 1.0, 40.0);
  const TelemetryMoment later = TelemetryMoment::at(&one, 31.0, 40.0);
  EXPECT_EQ(start.groupLocation, later.groupLocation);
  EXPECT_EQ(start.groupLocation, one.totalLocations().back());
  EXPECT_EQ(start.location, one.totalLocations().front());
  EXPECT_EQ(later.location, one.totalLocations().at(3));
}

TEST_F(TelemetryMomentTest, WithoutTelemetryTheReadoutsShowZero) {
  TelemetryFile empty(QByteArray("not telemetry at all\r\n"));
  for (const NMEAData* data : {static_cast<const NMEAData*>(nullptr), static_cast<const NMEAData*>(&empty.parsed())}) {
    const TelemetryMoment moment = TelemetryMoment::at(data, 3.0, 10.0);
    EXPECT_FALSE(moment.group);
    ASSERT_TRUE(moment.location);
    EXPECT_EQ(moment.location->latitude, 0.0);
    EXPECT_EQ(moment.location->longitude, 0.0);
    EXPECT_EQ(moment.motion, MotionData(0.0, 0.0, 0.0));
    EXPECT_FALSE(moment.driveSupport);
    EXPECT_FALSE(moment.carInfo);
  }
  // The readouts at the end of a recording with telemetry: none, so they stay.
  const TelemetryMoment end = TelemetryMoment::atFraction(&nmea, 1.0f, 40.0);
  EXPECT_FALSE(end.location);
  EXPECT_FALSE(end.motion);
  EXPECT_EQ(end.seconds, 40.0);
}

}  // namespace
}  // namespace dashcard
