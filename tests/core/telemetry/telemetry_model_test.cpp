#include "core/common/color_palette.h"
#include "core/common/const_class.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/gop_data.h"
#include "core/telemetry/nmea_data.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>

namespace dashcard {
namespace {

TEST(TelemetryModel, FreshObjectsHoldTheirInitialValues) {
  NMEAData data(QStringLiteral("/card/NMEA/NORMAL/N_x.NMEA"));
  EXPECT_EQ(data.filePath(), "/card/NMEA/NORMAL/N_x.NMEA");
  EXPECT_TRUE(data.GOPs().isEmpty());
  EXPECT_TRUE(data.varidLocations().isEmpty());
  EXPECT_TRUE(data.totalLocations().isEmpty());
  EXPECT_TRUE(data.motions().isEmpty());
  EXPECT_TRUE(data.driveSupports().isEmpty());
  EXPECT_TRUE(data.carInfos().isEmpty());
  EXPECT_EQ(data.maxSpeed(), 0.0);
  EXPECT_EQ(data.maxMotionABS(), 0.0);
  EXPECT_FALSE(data.isParsing());
  const CustomLocation placeholder = data.lastValidSpeedLocation();
  EXPECT_EQ(placeholder, data.lastValidHeadingLocation());
  EXPECT_EQ(placeholder.latitude, -999.0);
  EXPECT_EQ(placeholder.longitude, -999.0);
  EXPECT_EQ(placeholder.speed, -1.0);
  EXPECT_EQ(placeholder.course, -1.0);
  EXPECT_EQ(placeholder.timestamp.toMSecsSinceEpoch(), 0);
  EXPECT_EQ(placeholder.horizontalAccuracy, 10.0f);
  EXPECT_FALSE(placeholder.hasCoordinate());

  const GOPData group;
  EXPECT_EQ(group.location(), CustomLocation::placeholder());
  EXPECT_FALSE(group.isValid());
  EXPECT_TRUE(group.motions().isEmpty());
  EXPECT_TRUE(group.userID().isEmpty());

  EXPECT_EQ(CarInfo{}.speed, -1);
  EXPECT_FALSE(CarInfo{}.isInvalidData());
  EXPECT_TRUE(CarInfo{.speed = 0}.isInvalidData());
}

TEST(TelemetryModel, GroupCopiesAreValues) {
  GOPData group;
  group.appendMotion(MotionData(1, 2, 3));
  GOPData copy = group;
  copy.appendMotion(MotionData(4, 5, 6));
  copy.setIsValid(true);
  copy.setLocation(CustomLocation(1.0, 2.0));
  EXPECT_EQ(group.motions().size(), 1u);
  EXPECT_FALSE(group.isValid());
  EXPECT_EQ(group.location().latitude, -999.0);
  EXPECT_EQ(copy.motions().size(), 2u);
  EXPECT_TRUE(copy.isValid());
  EXPECT_EQ(copy.location().longitude, 2.0);

  // A list outlives the group it came from, and iterators outlive the list.
  TelemetryList<MotionData> motions = copy.motions();
  auto it = copy.motions().begin();
  copy = GOPData();
  EXPECT_EQ(motions.back(), MotionData(4, 5, 6));
  EXPECT_EQ(std::accumulate(motions.begin(), motions.end(), 0.0,
                            [](double sum, const MotionData& m) { return sum + m.gx(); }),
            5.0);
  EXPECT_EQ(motions.end() - motions.begin(), 2);
  (void)it;
}

// Packed or kept whole, every record comes back bit for bit, in order, also
// through a list that outlives the FixList's owner and after takeExact.
TEST(TelemetryModel, FixListGivesBackEveryRecordExactly) {
  const QDateTime utc = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC);
  CustomLocation correctedBoth(35.5, 139.7, 0.0, 10.0, 10.0, -1.0, -1.0, utc);
  correctedBoth.correctedSpeed = 12.25;
  correctedBoth.correctedDirection = 270.5;
  CustomLocation correctedAndKnown(35.5, 139.7, 0.0, 10.0, 10.0, 90.0, 3.0, utc);
  correctedAndKnown.correctedSpeed = 7.0;  // a value the parser never makes
  CustomLocation negativeZero(-0.0, -0.0, -0.0, 10.0, 10.0, -0.0, -0.0, utc);
  const std::vector<CustomLocation> records = {
      CustomLocation(35.5, 139.7, 0.0, 10.0, 10.0, 45.0, 8.5, utc),  // sets the shared accuracies
      correctedBoth,
      correctedAndKnown,
      negativeZero,
      CustomLocation::placeholder(),
      CustomLocation(1.0, 2.0, 3.5, 4.0, 10.0, 5.0, 6.0, utc),  // another accuracy
      CustomLocation(1.0, 2.0, 0.0, 10.0, 10.0, 5.0, 6.0, utc.toOffsetFromUtc(3600)),
      CustomLocation(1.0, 2.0, 0.0, 10.0, 10.0, 5.0, 6.0, QDateTime()),
      CustomLocation(std::nan(""), 2.0, std::nanf(""), 10.0, 10.0, 5.0, 6.0, utc),
      CustomLocation(),
  };
  const auto sameBits = [](const CustomLocation& a, const CustomLocation& b) {
    return std::memcmp(&a.latitude, &b.latitude, 6 * sizeof(double)) == 0 &&
           std::memcmp(&a.altitude, &b.altitude, 3 * sizeof(float)) == 0 && a.timestamp == b.timestamp &&
           a.timestamp.timeSpec() == b.timestamp.timeSpec() &&
           a.timestamp.offsetFromUtc() == b.timestamp.offsetFromUtc() && a.timestamp.isValid() == b.timestamp.isValid();
  };
  FixList scratch;
  for (int round = 0; round < 2; ++round) {  // the second on a cleared list with capacity
    scratch.clear();
    for (const CustomLocation& record : records) scratch.push_back(record);
    for (const bool keepCapacity : {true, false}) {
      FixList copy = scratch;
      auto owner = std::make_shared<FixList>(copy.takeExact(keepCapacity));
      EXPECT_TRUE(copy.empty());
      const LocationList list = owner->list(owner, 0, owner->size());
      owner.reset();
      ASSERT_EQ(list.size(), records.size());
      std::size_t i = 0;
      for (auto it = list.begin(); it != list.end(); ++it, ++i) {
        EXPECT_TRUE(sameBits(*it, records[i])) << "record " << i << " round " << round;
        EXPECT_EQ(std::isnan(it->latitude), std::isnan(records[i].latitude));
      }
    }
  }
  const std::uint32_t index[] = {3, 1};
  const LocationList picked = scratch.list(nullptr, 0, 2, index);
  EXPECT_TRUE(sameBits(picked[0], negativeZero));
  EXPECT_TRUE(sameBits(picked.back(), correctedBoth));
}

TEST(TelemetryModel, SpeedHelpers) {
  EXPECT_FLOAT_EQ(CustomLocation::speedAtKirometerPerHour(10.0), 36.0f);
  EXPECT_NEAR(CustomLocation::speedAtMilePerHour(10.0), 22.37f, 0.005f);
  EXPECT_FLOAT_EQ(CustomLocation::speedAtKirometerPerHour(-1.0), -3.6f);  // no sentinel handling
  CustomLocation location(0, 0, 0, 10, 10, 0, 20.0, CustomLocation::epoch());
  EXPECT_FLOAT_EQ(location.speedAtKirometerPerHour(), 72.0f);

  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_TRUE(CustomLocation::shouldUseMilePerHour());
  EXPECT_EQ(CustomLocation::unitForCurrentLocale(), "mph");
  EXPECT_FLOAT_EQ(location.speedForCurrentLocale(), location.speedAtMilePerHour());
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
  EXPECT_TRUE(CustomLocation::shouldUseMilePerHour());
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_FALSE(CustomLocation::shouldUseMilePerHour());
  EXPECT_EQ(CustomLocation::unitForCurrentLocale(), "km/h");
  EXPECT_FLOAT_EQ(CustomLocation::speedForCurrentLocale(10.0), 36.0f);
  QLocale::setDefault(saved);
}

QStringList qvdsa(const QString& delay, const QString& lane, const QString& side, const QString& collision,
                  const QString& delayPosition = QStringLiteral("2")) {
  return {QStringLiteral("$QVDSA"), delayPosition, delay, QStringLiteral("4"), lane, side, QStringLiteral("8"),
          collision, QStringLiteral("15.5"), QStringLiteral("1.25"), QStringLiteral("0"), QStringLiteral("0"),
          QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
}

TEST(DriveSupportData, StrongestWarningDecidesTheAppearance) {
  const DriveSupportData none(qvdsa({}, {}, {}, {}));
  EXPECT_EQ(none.QVDSAType(), ConstClass::QVDSA_TYPE_QVCAM);
  EXPECT_TRUE(none.appearanceImageName().isEmpty());
  EXPECT_EQ(none.appearanceColor().alpha(), 0);
  EXPECT_TRUE(none.appearanceEventName().isEmpty());
  EXPECT_TRUE(none.appearanceLineInfos().isEmpty());

  const DriveSupportData delayAndCollision(qvdsa(QStringLiteral("1"), {}, {}, QStringLiteral("1")));
  EXPECT_EQ(delayAndCollision.appearanceImageName(), "adas_forward_collision");
  EXPECT_EQ(delayAndCollision.appearanceColor(), ColorPalette::adasForwardCollisionColor());
  EXPECT_EQ(delayAndCollision.appearanceEventName(), QStringLiteral("衝突注意"));
  const auto marks = delayAndCollision.appearanceLineInfos();
  ASSERT_EQ(marks.size(), 2);
  EXPECT_EQ(marks[0].position(), 2.0);
  EXPECT_EQ(marks[0].color(), ColorPalette::adasDelayColor());
  EXPECT_EQ(marks[1].position(), 8.0);
  EXPECT_EQ(delayAndCollision.collisionDetectDistance(), 15.5);
  EXPECT_EQ(delayAndCollision.collisionDetectPreTime(), 1.25);

  // A side other than L or R: the text stays what start delay gave.
  const DriveSupportData oddSide(qvdsa(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("X"), {}));
  EXPECT_EQ(oddSide.appearanceImageName(), "adas_lane_departure");
  EXPECT_EQ(oddSide.appearanceColor(), ColorPalette::adasLaneDepartureColor());
  EXPECT_EQ(oddSide.appearanceEventName(), QStringLiteral("発進遅れ"));
  EXPECT_EQ(oddSide.appearanceLineInfos().size(), 2);
  EXPECT_EQ(DriveSupportData(qvdsa({}, QStringLiteral("1"), QStringLiteral("L"), {})).appearanceEventName(),
            QStringLiteral("左車線注意"));
  EXPECT_EQ(DriveSupportData(qvdsa({}, QStringLiteral("1"), QStringLiteral("R"), {})).appearanceEventName(),
            QStringLiteral("右車線注意"));

  const DriveSupportData badPosition(qvdsa(QStringLiteral("1"), {}, {}, {}, QStringLiteral("x1")));
  EXPECT_EQ(badPosition.delayStartPosition(), 0.0);
}

TEST(DriveSupportData, OtherFieldCountsAndFamilies) {
  QStringList sixteen = qvdsa(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("L"), QStringLiteral("1"));
  sixteen.removeLast();
  const DriveSupportData unknown(sixteen);
  EXPECT_EQ(unknown.QVDSAType(), ConstClass::QVDSA_TYPE_UNKNOWN);
  EXPECT_TRUE(unknown.delayStart().isEmpty());
  EXPECT_TRUE(unknown.appearanceImageName().isEmpty());
  EXPECT_EQ(unknown.appearanceColor().alpha(), 0);
  EXPECT_TRUE(unknown.appearanceLineInfos().isEmpty());

  DriveSupportData zenta(qvdsa(QStringLiteral("1"), {}, {}, {}));
  zenta.setQVDSAType(ConstClass::QVDSA_TYPE_ZENTA);
  EXPECT_EQ(zenta.appearanceColor(), ColorPalette::adasZENTAColor());
  EXPECT_TRUE(zenta.appearanceImageName().isEmpty());
}

}  // namespace
}  // namespace dashcard
