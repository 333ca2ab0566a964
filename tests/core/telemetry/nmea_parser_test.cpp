#include "core/telemetry/nmea_data.h"
#include "core/telemetry/nmea_text.h"
#include "core/telemetry/telemetry_test_support.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::TelemetryFile;

QByteArray rmc(const char* time, const char* status = "A", const char* latitude = "3540.1234",
               const char* latHemisphere = "N", const char* longitude = "13945.6789", const char* lonHemisphere = "E",
               const char* knots = "12.5", const char* course = "90.0", const char* date = "010124") {
  return QByteArray("$GNRMC,") + time + ',' + status + ',' + latitude + ',' + latHemisphere + ',' + longitude + ',' +
         lonHemisphere + ',' + knots + ',' + course + ',' + date + ",,,A\r\n";
}

qint64 msecs(const CustomLocation& location) { return location.timestamp.toMSecsSinceEpoch(); }
qint64 utc(const char* iso) { return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toMSecsSinceEpoch(); }

const QByteArray kHeader = "$GTRIP,000123,1.04\r\n$QVSN,3500000000001\r\n";

TEST(NMEAParser, CameraFileBuildsGroupsFixesAndSamples) {
  TelemetryFile file(kHeader + rmc("120000.00") + "$GSENS,0.010,-0.020,1.000\r\n$GSENS,0.5,0.5,-1.25\r\n" +
                     rmc("120001.00", "A", "3540.1234", "N", "13945.6789", "W") + "$GSENS,0.1,0.1,0.1\r\n");
  const NMEAData& data = file.parsed();
  EXPECT_EQ(data.tripID(), "000123");
  EXPECT_EQ(data.version(), "1.04");
  EXPECT_EQ(data.imeiNumber(), "3500000000001");
  const GOPList groups = data.GOPs();
  ASSERT_EQ(groups.size(), 2u);  // the header is not a group
  EXPECT_TRUE(groups[0].isValid());
  EXPECT_EQ(groups[0].motions().size(), 2u);
  EXPECT_EQ(groups[1].motions().size(), 1u);
  EXPECT_DOUBLE_EQ(groups[0].motions()[1].gz(), -1.25);
  EXPECT_EQ(data.motions().size(), 3u);
  EXPECT_DOUBLE_EQ(data.maxMotionABS(), 1.25);

  const CustomLocation& first = groups[0].location();
  EXPECT_NEAR(first.latitude, 35.668723, 1e-6);
  EXPECT_NEAR(first.longitude, 139.761315, 1e-6);
  EXPECT_NEAR(groups[1].location().longitude, -139.761315, 1e-6);
  EXPECT_NEAR(first.speed, 6.43, 1e-12);
  EXPECT_DOUBLE_EQ(first.course, 90.0);
  EXPECT_EQ(first.altitude, 0.0f);
  EXPECT_EQ(first.horizontalAccuracy, 10.0f);
  EXPECT_EQ(first.verticalAccuracy, 10.0f);
  EXPECT_EQ(msecs(first), utc("2024-01-01T12:00:00.000Z"));
  EXPECT_EQ(data.varidLocations().size(), 2u);
  EXPECT_EQ(data.totalLocations().size(), 2u);
  EXPECT_NEAR(data.maxSpeed(), 6.43, 1e-12);
  EXPECT_FALSE(data.isParsing());
}

TEST(NMEAParser, GroupCutsAndHeaderPiece) {
  {
    // No header: the empty text before the first cut becomes a bare group.
    TelemetryFile file(rmc("120000") + rmc("120001"));
    const GOPList groups = file.parsed().GOPs();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_FALSE(groups[0].isValid());
    EXPECT_EQ(groups[0].location(), CustomLocation::placeholder());
    EXPECT_TRUE(groups[1].isValid());
  }
  {
    // A text that begins with an empty line: the header piece is a group too.
    TelemetryFile file("\r\n" + kHeader + rmc("120000"));
    const NMEAData& data = file.parsed();
    ASSERT_EQ(data.GOPs().size(), 2u);
    EXPECT_FALSE(data.GOPs()[0].isValid());
    EXPECT_EQ(data.tripID(), "000123");
  }
  {
    // Only "$GPRMC": nothing to cut at, one group holding the last fix.
    QByteArray text = kHeader;
    for (const char* time : {"120000", "120001", "120002"}) {
      text += rmc(time).replace("$GNRMC", "$GPRMC");
    }
    TelemetryFile file(text);
    const NMEAData& data = file.parsed();
    ASSERT_EQ(data.GOPs().size(), 1u);
    EXPECT_EQ(msecs(data.GOPs()[0].location()), utc("2024-01-01T12:00:02.000Z"));
    EXPECT_EQ(data.varidLocations().size(), 3u);
    EXPECT_EQ(data.totalLocations().size(), 3u);
  }
  {
    // A cut in the middle of a line starts a group; a trailing cut leaves a bare group.
    TelemetryFile file(kHeader + "$GSENS,1,1,1" + rmc("120000") + "$GNRMC");
    const NMEAData& data = file.parsed();
    ASSERT_EQ(data.GOPs().size(), 2u);
    EXPECT_TRUE(data.GOPs()[0].isValid());
    EXPECT_EQ(data.GOPs()[0].motions().size(), 0u);
    EXPECT_EQ(data.motions().size(), 1u);  // the header's sample is kept file-wide
    EXPECT_FALSE(data.GOPs()[1].isValid());
  }
  {
    // A piece that begins with "$" and holds no position sentence is dropped; its
    // samples stay file-wide and do not leak into the group before.
    TelemetryFile file(kHeader + rmc("120000") + "$GSENS,1,1,1\r\n$GNRMC$GSENS,2,2,2\r\n" + rmc("120001") +
                       "$GSENS,3,3,3\r\n");
    const NMEAData& data = file.parsed();
    ASSERT_EQ(data.GOPs().size(), 2u);
    EXPECT_EQ(data.motions().size(), 3u);
    ASSERT_EQ(data.GOPs()[0].motions().size(), 1u);
    EXPECT_EQ(data.GOPs()[0].motions()[0].gx(), 1.0);
    ASSERT_EQ(data.GOPs()[1].motions().size(), 1u);
    EXPECT_EQ(data.GOPs()[1].motions()[0].gx(), 3.0);
  }
}

TEST(NMEAParser, PositionSentenceFieldsAndStatus) {
  TelemetryFile file(kHeader + rmc("120000", "V", "", "", "", "", "", "", "010124") +
                     rmc("120001", "A", "", "", "13945.6789", "E") +
                     "$GNRMC,120002.00,A,3540.1,N,13945.6,E,1.0,2.0,010124,,\r\n" +
                     "$GNRMC,120003.00,A,3540.1,N,13945.6,E,1.0,2.0,010124,,,A,V\r\n" +
                     rmc("120004", "X") + rmc("120005", "A", "3540.1", "Q", "13945.6", "e"));
  const NMEAData& data = file.parsed();
  const GOPList groups = data.GOPs();
  ASSERT_EQ(groups.size(), 6u);
  // Void: sentinels, in totalLocations only.
  EXPECT_FALSE(groups[0].isValid());
  EXPECT_EQ(groups[0].location().latitude, -999.0);
  EXPECT_EQ(groups[0].location().speed, -1.0);
  EXPECT_EQ(groups[0].location().course, -1.0);
  // "A" without a latitude: no position, so no valid fix.
  EXPECT_FALSE(groups[1].isValid());
  EXPECT_EQ(groups[1].location().latitude, -999.0);
  EXPECT_NEAR(groups[1].location().longitude, 139.761315, 1e-6);
  // 12 and 14 fields, and an unknown status: the group counts, without a fix.
  for (std::size_t i : {2u, 3u, 4u}) {
    EXPECT_FALSE(groups[i].isValid()) << i;
    EXPECT_EQ(groups[i].location(), CustomLocation::placeholder()) << i;
  }
  // Hemisphere letters other than N/S/E/W make the coordinate unreadable.
  EXPECT_FALSE(groups[5].isValid());
  EXPECT_EQ(groups[5].location().latitude, -999.0);
  EXPECT_EQ(groups[5].location().longitude, -999.0);
  EXPECT_EQ(data.totalLocations().size(), 3u);
  EXPECT_EQ(data.varidLocations().size(), 0u);
}

// Marked "A" by a confused receiver: off the globe, faster than any vehicle,
// or without a date. None is valid; the one good fix is, and alone sets the top speed.
TEST(NMEAParser, FixesOffTheGlobeTooFastOrUndatedAreNotValid) {
  const QByteArray junk[] = {
      rmc("120000", "A", "9999.9999", "N"),                                      // 100.67 degrees north
      rmc("120001", "A", "3540.1234", "N", "99999.9999", "E"),                   // 1000.67 degrees east
      rmc("120002", "A", "9000.0001", "S"),                                      // just past the pole
      rmc("120003", "A", "3540.1234", "N", "18000.0001", "W"),                   // just past the date line
      rmc("120004", "A", "3540.1234", "N", "13945.6789", "E", "1e308"),          // 300-digit speed
      rmc("120005", "A", "3540.1234", "N", "13945.6789", "E", "-3"),             // backwards
      rmc("120006", "A", "3540.1234", "N", "13945.6789", "E", "1000"),           // 1850 km/h
      rmc("120007", "A", "3540.1234", "N", "13945.6789", "E", "12", "9", "000000"),  // no date
      rmc("120008", "A", "3540.1234", "N", "13945.6789", "E", "12", "9", "320124"),  // 32 January
  };
  QByteArray text = kHeader;
  for (const QByteArray& line : junk) {
    text += line;
  }
  text += rmc("120009", "A", "9000.0000", "N", "18000.0000", "W", "10.0");  // the pole and the date line are on the globe
  TelemetryFile file(text);
  const NMEAData& data = file.parsed();
  ASSERT_EQ(data.totalLocations().size(), std::size(junk) + 1);
  const auto valid = data.varidLocations();
  ASSERT_EQ(valid.size(), 1u);
  EXPECT_EQ(valid[0].latitude, 90.0);
  EXPECT_EQ(valid[0].longitude, -180.0);
  EXPECT_NEAR(data.maxSpeed(), 5.14, 0.01);  // 10 knots
  const auto fixes = data.totalLocations();
  for (std::size_t i : {4u, 5u, 6u}) {
    EXPECT_EQ(fixes[i].speed, -1.0) << i;  // an impossible speed is no speed
  }
}

TEST(NMEAParser, NumbersMustBeWholeFiniteLiterals) {
  TelemetryFile file(kHeader + rmc("120000", "A", "1e999", "N", "-13945.6789", "E", "1e999", "inf") +
                     rmc("120001", "A", "+3540.1234", "S", ".5e2", "W", "12.5 kn", "nan") +
                     rmc("120002", "A", "3540.1234e", "N", "0x10", "E", "-0", "1e-400") +
                     "$GSENS,1e999,-1e999,nan\r\n$GSENS,999.999,0.5,-0.25\r\n$GSENS,0.5,0.5\r\n"
                     "$GSENS,1,2,3*4A\r\n$GSENS, 0.75 ,\t-.5\t,5.\r\n");
  const NMEAData& data = file.parsed();
  const auto fixes = data.totalLocations();
  ASSERT_EQ(fixes.size(), 3u);
  EXPECT_EQ(fixes[0].latitude, -999.0);
  EXPECT_NEAR(fixes[0].longitude, -139.761315, 1e-6);  // negative value, sign kept
  EXPECT_EQ(fixes[0].speed, -1.0);
  EXPECT_EQ(fixes[0].course, -1.0);
  EXPECT_NEAR(fixes[1].latitude, -35.668723, 1e-6);
  EXPECT_NEAR(fixes[1].longitude, -0.0 - 50.0 / 60.0, 1e-12);
  EXPECT_EQ(fixes[1].speed, -1.0);
  EXPECT_EQ(fixes[2].latitude, -999.0);
  EXPECT_EQ(fixes[2].longitude, -999.0);
  EXPECT_EQ(fixes[2].speed, 0.0);
  EXPECT_EQ(fixes[2].course, 0.0);  // underflow is a finite number

  const auto motions = data.motions();
  ASSERT_EQ(motions.size(), 5u);
  EXPECT_EQ(motions[0], MotionData(0.0, 0.0, 0.0));
  EXPECT_EQ(motions[1], MotionData(0.0, 0.5, -0.25));
  EXPECT_EQ(motions[2], MotionData(0.0, 0.0, 0.0));
  EXPECT_EQ(motions[3], MotionData(1.0, 2.0, 0.0));  // a checksum makes the last axis unreadable
  EXPECT_EQ(motions[4], MotionData(0.75, -0.5, 5.0));
  EXPECT_DOUBLE_EQ(data.maxMotionABS(), 5.0);
  EXPECT_EQ(NMEAData::convertToGsensValue(u"999.999"), 0.0);
  EXPECT_EQ(NMEAData::convertToGsensValue(u"999.9990"), 999.999);
  EXPECT_EQ(NMEAData::convertToGsensValue(u"1e999"), 0.0);
}

// Every decimal a receiver writes reads as the C library reads it, bit for
// bit: the digit counts around the exact-integer limit (15 and 16 digits),
// points at each place, signs, leading zeros and the forms that need the
// general reader.
TEST(NMEAParser, DecimalFieldsReadExactlyAsStrtod) {
  std::vector<std::string> fields = {"0",     "-0",         "-0.000",          "007.50",          "12.",
                                     ".5",    "-.25",       "1e3",             "999999999999999", "9999999999999999",
                                     "0.1",   "0.3",        "2.675",           "4916.45",         "-12345.678901234",
                                     "123456789012345.6", "0.000000000000001", "0.0000000000000001"};
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 20000; ++i) {
    const int length = 1 + static_cast<int>(next() % 18);
    std::string digits;
    for (int d = 0; d < length; ++d) {
      digits += static_cast<char>('0' + next() % 10);
    }
    const std::size_t point = next() % (digits.size() + 1);
    if (point > 0 && point < digits.size()) {
      digits.insert(point, 1, '.');
    }
    fields.push_back((next() % 2 == 0 ? "-" : "") + digits);
  }
  for (const std::string& field : fields) {
    double ours = 0.0;
    ASSERT_TRUE(nmea::readNumber(field, &ours)) << field;
    const double expected = std::strtod(field.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&ours, &expected, sizeof ours), 0) << field << ": " << ours << " vs " << expected;
  }
  // The same numbers as G-sensor lines, three to a line, with each line end.
  QByteArray lines = kHeader + rmc("120000");
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (std::size_t i = 0; i + 3 <= fields.size(); i += 3) {
    lines += "$GSENS," + QByteArray::fromStdString(fields[i] + ',' + fields[i + 1] + ',' + fields[i + 2]) +
             (i + 6 <= fields.size() ? ends[i % 3] : "");
  }
  TelemetryFile file(lines);
  const auto motions = file.parsed().motions();
  ASSERT_EQ(motions.size(), fields.size() / 3);
  for (std::size_t i = 0; i < motions.size(); ++i) {
    const double axes[] = {motions[i].gx(), motions[i].gy(), motions[i].gz()};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const double expected = std::strtod(fields[3 * i + axis].c_str(), nullptr);
      EXPECT_EQ(std::memcmp(&axes[axis], &expected, sizeof expected), 0) << fields[3 * i + axis];
    }
  }
  for (const char* junk : {"", "-", ".", "1.2.3", "1-2", "--1", "1 2", "0x10", "1e", "+-1"}) {
    double value = 42.0;
    EXPECT_FALSE(nmea::readNumber(junk, &value)) << junk;
    EXPECT_EQ(value, 42.0) << junk;
  }
}

TEST(NMEAParser, TimesWithEveryPrecisionAndBadDates) {
  TelemetryFile file(kHeader + rmc("235959") + rmc("120000.5") + rmc("120000.25") + rmc("120000.125") +
                     rmc("120000.1250") + rmc("120000.") + rmc("1200") + rmc("120000", "A", "1", "N", "1", "E", "1",
                                                                               "1", "290223") +
                     rmc("120000", "A", "1", "N", "1", "E", "1", "1", "290224") + rmc("246000") +
                     rmc("120000", "A", "1", "N", "1", "E", "1", "1", "311299") + rmc("120000", "A", "1", "N", "1",
                                                                                     "E", "1", "1", "010169"));
  const auto fixes = file.parsed().totalLocations();
  ASSERT_EQ(fixes.size(), 12u);
  EXPECT_EQ(msecs(fixes[0]), utc("2024-01-01T23:59:59.000Z"));
  EXPECT_EQ(msecs(fixes[1]), utc("2024-01-01T12:00:00.500Z"));
  EXPECT_EQ(msecs(fixes[2]), utc("2024-01-01T12:00:00.250Z"));
  EXPECT_EQ(msecs(fixes[3]), utc("2024-01-01T12:00:00.125Z"));
  for (std::size_t i : {4u, 5u, 6u, 7u, 9u}) {
    EXPECT_EQ(msecs(fixes[i]), 0) << i;  // no time rather than a wrong one
    EXPECT_EQ(fixes[i].timestamp.timeSpec(), Qt::UTC);
  }
  EXPECT_EQ(msecs(fixes[8]), utc("2024-02-29T12:00:00.000Z"));
  EXPECT_EQ(msecs(fixes[10]), utc("1999-12-31T12:00:00.000Z"));
  EXPECT_EQ(msecs(fixes[11]), utc("2069-01-01T12:00:00.000Z"));

  EXPECT_EQ(NMEAData::convertToDateWithDateString(QStringLiteral("010124 120000.25"), QStringLiteral("ddMMyy HHmmss.SS"))
                .toMSecsSinceEpoch(),
            utc("2024-01-01T12:00:00.250Z"));
  EXPECT_EQ(NMEAData::convertToDateWithDateString(QStringLiteral("010124 120000"), QStringLiteral("ddMMyy HHmmss.SS"))
                .toMSecsSinceEpoch(),
            utc("2024-01-01T12:00:00.000Z"));
  EXPECT_EQ(NMEAData::convertToDateWithDateString(QStringLiteral("20240229 235959"), QStringLiteral("yyyyMMdd HHmmss"))
                .toMSecsSinceEpoch(),
            utc("2024-02-29T23:59:59.000Z"));
  EXPECT_EQ(NMEAData::convertToDateWithDateString(QStringLiteral("20230229 235959"), QStringLiteral("yyyyMMdd HHmmss")),
            CustomLocation::epoch());
  EXPECT_EQ(NMEAData::convertToDateWithDateString(QStringLiteral("20240101 2359590"), QStringLiteral("yyyyMMdd HHmmss")),
            CustomLocation::epoch());
}

TEST(NMEAParser, SpeedAndHeadingCarryOver) {
  // Speed known at 12:00:00; unknown at +14 s (carried), +14.9 s (carried), +15 s and +20 s (not).
  TelemetryFile file(kHeader + rmc("120000", "A", "1", "N", "1", "E", "19.44", "45.5") +
                     rmc("120014", "A", "1", "N", "1", "E", "", "") + rmc("120014.9", "A", "1", "N", "1", "E", "", "") +
                     rmc("120015", "A", "1", "N", "1", "E", "", "") + rmc("120020", "V") +
                     rmc("120021", "A", "1", "N", "1", "E", "0", ""));
  const NMEAData& data = file.parsed();
  const auto fixes = data.totalLocations();
  ASSERT_EQ(fixes.size(), 6u);
  const double speed = 19.44 * 0.5144;
  EXPECT_DOUBLE_EQ(fixes[1].correctedSpeed, speed);
  EXPECT_DOUBLE_EQ(fixes[2].correctedSpeed, speed);
  EXPECT_EQ(fixes[3].correctedSpeed, 0.0);
  EXPECT_EQ(fixes[4].correctedSpeed, 0.0);
  EXPECT_EQ(fixes[5].correctedSpeed, 0.0);  // own speed known
  for (std::size_t i = 1; i < 6; ++i) {
    EXPECT_DOUBLE_EQ(fixes[i].correctedDirection, 45.5) << i;  // however old
    EXPECT_EQ(fixes[i].displayCourse(), 45.5);
  }
  EXPECT_EQ(fixes[0].correctedDirection, 0.0);
  EXPECT_EQ(msecs(data.lastValidSpeedLocation()), utc("2024-01-01T12:00:21.000Z"));
  EXPECT_EQ(data.lastValidHeadingLocation().course, 45.5);
}

TEST(NMEAParser, CarryOverStartsFromTheSeededLocations) {
  {
    // No time and no speed before: the placeholder's speed (-1) is carried.
    TelemetryFile file(kHeader + rmc("120000", "A", "1", "N", "1", "E", "", "", "999999"));
    EXPECT_EQ(file.parsed().totalLocations()[0].correctedSpeed, -1.0);
    EXPECT_EQ(file.data->totalLocations()[0].correctedDirection, -1.0);
  }
  {
    // The previous clip's last fixes continue into this one.
    TelemetryFile file(kHeader + rmc("120005", "A", "1", "N", "1", "E", "", ""));
    CustomLocation previous(1.0, 1.0, 0.0, 10.0, 10.0, 270.0, 7.5,
                            QDateTime::fromMSecsSinceEpoch(utc("2024-01-01T11:59:58.000Z"), Qt::UTC));
    file.data->setLastValidSpeedLocation(previous);
    file.data->setLastValidHeadingLocation(previous);
    const auto fix = file.parsed().totalLocations()[0];
    EXPECT_EQ(fix.correctedSpeed, 7.5);
    EXPECT_EQ(fix.correctedDirection, 270.0);
  }
}

TEST(NMEAParser, TrailerSentencesAndFieldCounts) {
  TelemetryFile file(QByteArray("$GTRIP,777\r\n$QVVER,2.0*11\r\n$QVSN,1,2\r\n$QVVER\r\n") + rmc("120000") +
                     "$QVDSA,3,1,4,1,L,6,1,12.5,1.5,0,0,0,0,0,0,0\r\n$QVDSA,3,1,4,1,L,6,1,12.5,1.5,0,0,0,0,0,0\r\n"
                     "$GPGGA,1,2,3\r\n$DINFO,20240101,120000\r\n$gsens,1,1,1\r\n$QVSN,SERIAL\r\n$GTRIP,a,b,c\r\n");
  const NMEAData& data = file.parsed();
  EXPECT_EQ(data.tripID(), "777");
  EXPECT_EQ(data.version(), "2.0*11");  // checksums stay part of the text
  EXPECT_EQ(data.imeiNumber(), "SERIAL");
  EXPECT_EQ(data.motions().size(), 0u);  // tags are case-sensitive
  ASSERT_EQ(data.driveSupports().size(), 1u);
  ASSERT_EQ(data.GOPs()[0].driveSupportInfos().size(), 1u);
  EXPECT_EQ(data.GOPs()[0].driveSupportInfos()[0].collisionDetectDistance(), 12.5);
  EXPECT_TRUE(data.carInfos().isEmpty());
}

TEST(NMEAParser, LineTerminatorsAndUnicodeSpaces) {
  const QByteArray body = "$GSENS,1,1,1\n$GSENS,2,2,2\r$GSENS,3,3,3\xC2\x85$GSENS,4,4,4\xE2\x80\xA8$GSENS,5,5,5"
                          "\xE2\x80\xA9$GSENS,\xC2\xA0"
                          "6\xE3\x80\x80,\t6,6\xE2\x80\x8A\r\n";
  TelemetryFile file(kHeader + rmc("120000") + body);
  const auto motions = file.parsed().GOPs()[0].motions();
  ASSERT_EQ(motions.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(motions[i], MotionData(i + 1.0, i + 1.0, i + 1.0)) << i;
  }
  // Empty lines, blanks around fields and a last line without a terminator.
  TelemetryFile plain(kHeader + rmc("120000") + "\n\r\n$GSENS, 1 ,\t2,3\n\n$GSENS,4,5 ,6\t");
  const auto plainMotions = plain.parsed().GOPs()[0].motions();
  ASSERT_EQ(plainMotions.size(), 2u);
  EXPECT_EQ(plainMotions[0], MotionData(1, 2, 3));
  EXPECT_EQ(plainMotions[1], MotionData(4, 5, 6));
}

TEST(NMEAParser, BadBytesLoseOnlyTheirLine) {
  {
    TelemetryFile file(kHeader + rmc("120000") + "$GSENS,1,1,1\xFF\r\n$GSENS,2,2,2\r\n\xC0\xAF\r\n" +
                       rmc("120001", "A", "1\xED\xA0\x80") + rmc("120002") + "$GSENS,\xE2\x82\xAC,3,3\r\n");
    const NMEAData& data = file.parsed();
    EXPECT_EQ(data.tripID(), "000123");
    // The fix with a surrogate byte is lost; its second stays as a group without a fix.
    ASSERT_EQ(data.GOPs().size(), 3u);
    EXPECT_FALSE(data.GOPs()[1].isValid());
    EXPECT_EQ(data.GOPs()[1].location(), CustomLocation::placeholder());
    EXPECT_EQ(data.motions().size(), 2u);
    EXPECT_EQ(data.motions()[0].gx(), 2.0);
    EXPECT_EQ(data.motions()[1], MotionData(0.0, 3.0, 3.0));
    EXPECT_EQ(data.totalLocations().size(), 2u);
  }
  {
    TelemetryFile file(QByteArray("\xFF\xFE$GNRMC\x80\r\n\xF5\x80\x80\x80"));
    const NMEAData& data = file.parsed();
    EXPECT_TRUE(data.GOPs().isEmpty());
    EXPECT_TRUE(data.tripID().isEmpty());
  }
  {
    // The same with samples after it: they stay in that second's group.
    TelemetryFile file(kHeader + rmc("120000") + "$GNRMC,\xFF\r\n$GSENS,1,1,1\r\n" + rmc("120002"));
    const NMEAData& data = file.parsed();
    ASSERT_EQ(data.GOPs().size(), 3u);
    EXPECT_EQ(data.GOPs()[1].motions().size(), 1u);
  }
  {
    // Junk before a sentence on the same line costs the junk only.
    TelemetryFile file(kHeader + "\x81\xFF\x01" + rmc("120000") + "\xB5\x62$GSENS,1,1,1\r\n$GSENS,2,2,2\r\n");
    const NMEAData& data = file.parsed();
    ASSERT_EQ(data.GOPs().size(), 1u);
    EXPECT_TRUE(data.GOPs()[0].isValid());
    EXPECT_EQ(data.GOPs()[0].motions().size(), 1u);
  }
  {
    // A byte-order mark is not text.
    TelemetryFile file("\xEF\xBB\xBF" + kHeader + rmc("120000"));
    EXPECT_EQ(file.parsed().GOPs().size(), 1u);
  }
}

TEST(NMEAParser, SetupRunsOnceAHeaderWasRead) {
  TelemetryFile file(kHeader + rmc("120000"));
  file.parsed();
  file.write(rmc("130000") + rmc("130001"));
  EXPECT_EQ(file.parsed().GOPs().size(), 1u);

  // Without a header, a second parse starts over, except for drive support.
  const QByteArray noHeader = rmc("120000") + "$QVDSA,3,1,4,1,L,6,1,12.5,1.5,0,0,0,0,0,0,0\r\n";
  TelemetryFile again(noHeader.mid(0));
  again.parsed();
  const GOPList first = again.data->GOPs();
  again.parsed();
  EXPECT_EQ(again.data->GOPs().size(), 2u);
  EXPECT_EQ(again.data->totalLocations().size(), 1u);
  EXPECT_EQ(again.data->driveSupports().size(), 2u);
  EXPECT_EQ(again.data->GOPs()[1].driveSupportInfos().size(), 1u);
  EXPECT_EQ(first.size(), 2u);  // a list handed out before keeps its content
  EXPECT_EQ(first[1].driveSupportInfos().size(), 1u);
}

TEST(NMEAParser, UnreadableFilesYieldNothingAndMayBeTriedAgain) {
  for (const QString& path : {QStringLiteral("/nonexistent/N_x.NMEA"), QStringLiteral("/"), QStringLiteral("/dev/zero")}) {
    NMEAData data(path);
    data.setup();
    EXPECT_TRUE(data.GOPs().isEmpty()) << path.toStdString();
    EXPECT_FALSE(data.isParsing());
  }
  TelemetryFile empty(QByteArray{});
  EXPECT_TRUE(empty.parsed().GOPs().isEmpty());
  // A FIFO under a telemetry name is refused at once, not waited on.
  const QString fifo = QFileInfo(empty.path()).absolutePath() + QStringLiteral("/N_fifo.NMEA");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  NMEAData pipe(fifo);
  pipe.setup();
  EXPECT_TRUE(pipe.GOPs().isEmpty());
  empty.write(kHeader + rmc("120000"));
  EXPECT_EQ(empty.parsed().GOPs().size(), 1u);
}

}  // namespace
}  // namespace dashcard

namespace dashcard {
namespace {

// Four clips in a row: own speed and heading; fixes before its own speed and
// heading; no fix at all (the carry-over passes through); the carry-over
// used again.
std::vector<QByteArray> carryOverClips() {
  return {kHeader + rmc("120000") + rmc("120001", "A", "3540.1234", "N", "13945.6789", "E", "20.0", "180.0"),
          kHeader + rmc("120002", "V", "", "N", "", "E", "", "") +
              rmc("120003", "A", "3540.1", "N", "13945.6", "E", "", "") + rmc("120004"),
          kHeader + "$GSENS,0.1,0.1,0.1\r\n", kHeader + rmc("120006", "A", "3540.1", "N", "13945.6", "E", "", "")};
}

struct ClipResult {
  std::vector<std::pair<double, double>> corrected;
  qint64 lastSpeed;
  double lastHeading;
  bool operator==(const ClipResult&) const = default;
};

ClipResult resultOf(const NMEAData& data) {
  ClipResult result{{}, msecs(data.lastValidSpeedLocation()), data.lastValidHeadingLocation().course};
  for (const CustomLocation& fix : data.totalLocations()) {
    result.corrected.emplace_back(fix.correctedSpeed, fix.correctedDirection);
  }
  return result;
}

TEST(NMEAParser, ParsesMadeAheadGiveTheInOrderResult) {
  const std::vector<QByteArray> clips = carryOverClips();
  std::vector<std::unique_ptr<TelemetryFile>> serial;
  std::vector<std::unique_ptr<TelemetryFile>> ahead;
  for (const QByteArray& bytes : clips) {
    serial.push_back(std::make_unique<TelemetryFile>(bytes));
    ahead.push_back(std::make_unique<TelemetryFile>(bytes));
  }
  // Made ahead in any order, as threads would.
  std::vector<std::shared_ptr<const NMEAData::Preparse>> made(clips.size());
  for (std::size_t i = clips.size(); i-- > 0;) {
    made[i] = ahead[i]->data->preparse();
    ASSERT_NE(made[i], nullptr);
  }
  for (std::size_t i = 0; i < clips.size(); ++i) {
    for (auto* files : {&serial, &ahead}) {
      if (i > 0) {
        (*files)[i]->data->setLastValidSpeedLocation((*files)[i - 1]->data->lastValidSpeedLocation());
        (*files)[i]->data->setLastValidHeadingLocation((*files)[i - 1]->data->lastValidHeadingLocation());
      }
    }
    serial[i]->data->setup();
    ahead[i]->data->setup(made[i]);
    EXPECT_EQ(resultOf(*ahead[i]->data), resultOf(*serial[i]->data)) << "clip " << i;
  }
  // The carry-over did reach the later clips.
  EXPECT_EQ(serial[3]->data->totalLocations()[0].correctedDirection, 90.0);
  // Parsed once: nothing more to make ahead.
  EXPECT_EQ(ahead[0]->data->preparse(), nullptr);
}

TEST(NMEAParser, ParseMadeAheadIsDroppedWhenTheFileChanged) {
  TelemetryFile first(kHeader + rmc("120000"));
  TelemetryFile second(QByteArray("$GTRIP,999\r\n") + rmc("130000") + rmc("130001"));
  const auto made = first.data->preparse();
  first.data->setFilePath(second.path());
  first.data->setup(made);
  EXPECT_EQ(first.data->tripID(), "999");
  EXPECT_EQ(first.data->totalLocations().size(), 2u);
}

}  // namespace
}  // namespace dashcard
