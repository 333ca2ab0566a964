// Fuzzes the telemetry parser through its real entry (a file read by
// NMEAData::setup), then walks everything the views read and checks that the
// groups and the file-wide lists agree. Also feeds the bytes to the group
// parser and the date reader.
//
// With DASHCARD_FUZZ_WRITE_SEEDS=<dir> it writes simulated camera files as
// seeds into <dir> and exits.

#include "core/catalogue/sample_card_maker.h"
#include "core/telemetry/nmea_data.h"
#include "fuzz_support.h"

#include <cstdint>

namespace {

using namespace dashcard;
using fuzz::check;

void writeSeeds(const QString& dir) {
  const QDateTime start(QDate(2024, 12, 31), QTime(23, 59, 50), Qt::UTC);
  for (int seed = 1; seed <= 6; ++seed) {
    QFile file(QDir(dir).filePath(QStringLiteral("camera-%1.NMEA").arg(seed)));
    if (file.open(QIODevice::WriteOnly)) {
      file.write(SampleCardMaker::driveTelemetry(static_cast<std::uint64_t>(seed), start, 5 + seed * 3, seed % 3,
                                                 seed == 2, seed == 5));
    }
  }
}

QString inputPath() {
  static const QString path = fuzz::scratchPath(QStringLiteral("telemetry.NMEA"));
  return path;
}

void walk(const NMEAData& data) {
  const GOPList groups = data.GOPs();
  const auto total = data.totalLocations();
  const auto valid = data.varidLocations();
  const auto motions = data.motions();
  const auto driveSupports = data.driveSupports();
  check(valid.size() <= total.size());
  std::size_t groupMotions = 0;
  std::size_t groupDriveSupports = 0;
  for (const GOPData& group : groups) {
    const CustomLocation& location = group.location();
    check(location.latitude == -999.0 || (location.latitude > -1e300 && location.latitude < 1e300));
    check(location.timestamp.isValid());
    groupMotions += group.motions().size();
    for (const MotionData& motion : group.motions()) {
      check(std::abs(motion.gx()) <= data.maxMotionABS() && std::abs(motion.gz()) <= data.maxMotionABS());
    }
    for (const DriveSupportData& record : group.driveSupportInfos()) {
      ++groupDriveSupports;
      (void)record.appearanceImageName();
      (void)record.appearanceEventName();
      (void)record.appearanceColor();
      check(record.appearanceLineInfos().size() <= 3);
    }
    (void)group.isValid();
    (void)group.userID();
  }
  check(groupMotions <= motions.size());
  check(groupDriveSupports <= driveSupports.size());
  for (const CustomLocation& location : valid) {
    check(location.speed == -1.0 || location.speed <= data.maxSpeed());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsWhenAsked(writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  if (!fuzz::writeInput(inputPath(), bytes, size)) {
    return 0;
  }
  NMEAData data(inputPath());
  data.setup();
  check(!data.isParsing());
  walk(data);
  // A second setup parses again unless a header was read; lists stay whole.
  const std::size_t groups = data.GOPs().size();
  data.setup();
  check(data.tripID().isEmpty() && data.version().isEmpty() ? data.GOPs().size() == groups : true);
  walk(data);

  const QString text = QString::fromUtf8(input);
  const qsizetype space = text.indexOf(QLatin1Char(' '));
  (void)NMEAData::convertToDateWithDateString(text, space > 0 ? text.left(space) : QStringLiteral("ddMMyy HHmmss.SS"));
  (void)NMEAData::convertToGsensValue(text);
  return 0;
}
