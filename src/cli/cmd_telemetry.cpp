#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/telemetry/drive_support_marks.h"
#include "core/telemetry/nmea_data.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

namespace dashcard::cli {
namespace {

QJsonObject locationJson(const CustomLocation& location) {
  return {
      {QStringLiteral("latitude"), jsonNumber(location.latitude)},
      {QStringLiteral("longitude"), jsonNumber(location.longitude)},
      {QStringLiteral("speed"), jsonNumber(location.speed)},
      {QStringLiteral("course"), jsonNumber(location.course)},
      {QStringLiteral("timestamp"), isoDate(location.timestamp)},
      {QStringLiteral("correctedSpeed"), jsonNumber(location.correctedSpeed)},
      {QStringLiteral("correctedDirection"), jsonNumber(location.correctedDirection)},
  };
}

QJsonArray locationsJson(const LocationList& locations) {
  QJsonArray array;
  for (const CustomLocation& location : locations) {
    array.append(locationJson(location));
  }
  return array;
}

QJsonObject driveSupportJson(const DriveSupportData& record) {
  QJsonArray marks;
  for (const auto& [position, argb] : driveSupportMarks(record)) {
    marks.append(QJsonObject{{QStringLiteral("position"), jsonNumber(position)},
                             {QStringLiteral("color"), QString::asprintf("#%08x", argb)}});
  }
  return {
      {QStringLiteral("QVDSAType"), record.QVDSAType()},
      {QStringLiteral("delayStartPosition"), jsonNumber(record.delayStartPosition())},
      {QStringLiteral("delayStart"), record.delayStart()},
      {QStringLiteral("laneDeparturePosition"), jsonNumber(record.laneDeparturePosition())},
      {QStringLiteral("laneDepartureLebel"), record.laneDepartureLebel()},
      {QStringLiteral("laneDepartureDirection"), record.laneDepartureDirection()},
      {QStringLiteral("collisionDetectPosition"), jsonNumber(record.collisionDetectPosition())},
      {QStringLiteral("collisionDetect"), record.collisionDetect()},
      {QStringLiteral("collisionDetectDistance"), jsonNumber(record.collisionDetectDistance())},
      {QStringLiteral("collisionDetectPreTime"), jsonNumber(record.collisionDetectPreTime())},
      {QStringLiteral("appearanceImageName"), record.appearanceImageName()},
      {QStringLiteral("appearanceEventName"), record.appearanceEventName()},
      {QStringLiteral("appearanceLineInfos"), marks},
  };
}

QJsonObject telemetryJson(const NMEAData& data) {
  QJsonArray groups;
  for (const GOPData& group : data.GOPs()) {
    groups.append(QJsonObject{
        {QStringLiteral("isValid"), group.isValid()},
        {QStringLiteral("location"), locationJson(group.location())},
        {QStringLiteral("motions"), static_cast<qint64>(group.motions().size())},
        {QStringLiteral("driveSupportInfos"), static_cast<qint64>(group.driveSupportInfos().size())},
    });
  }
  QJsonArray motions;
  for (const MotionData& motion : data.motions()) {
    motions.append(QJsonArray{jsonNumber(motion.gx()), jsonNumber(motion.gy()), jsonNumber(motion.gz())});
  }
  QJsonArray driveSupports;
  for (const DriveSupportData& record : data.driveSupports()) {
    driveSupports.append(driveSupportJson(record));
  }
  return {
      {QStringLiteral("filePath"), data.filePath()},
      {QStringLiteral("tripID"), data.tripID()},
      {QStringLiteral("version"), data.version()},
      {QStringLiteral("imeiNumber"), data.imeiNumber()},
      {QStringLiteral("maxSpeed"), jsonNumber(data.maxSpeed())},
      {QStringLiteral("maxMotionABS"), jsonNumber(data.maxMotionABS())},
      {QStringLiteral("GOPs"), groups},
      {QStringLiteral("varidLocations"), locationsJson(data.varidLocations())},
      {QStringLiteral("totalLocations"), locationsJson(data.totalLocations())},
      {QStringLiteral("motions"), motions},
      {QStringLiteral("driveSupports"), driveSupports},
  };
}

QString fixText(const CustomLocation& fix) {
  return QStringLiteral("%1, %2 at %3")
      .arg(fix.latitude, 0, 'f', 6)
      .arg(fix.longitude, 0, 'f', 6)
      .arg(isoDate(fix.timestamp));
}

QString summaryText(const NMEAData& data) {
  const GOPList groups = data.GOPs();
  const auto valid = data.varidLocations();
  qsizetype validGroups = 0;
  for (const GOPData& group : groups) {
    validGroups += group.isValid() ? 1 : 0;
  }
  const double maxSpeed = data.maxSpeed();
  QString text;
  text += QStringLiteral("filePath: %1\n").arg(data.filePath());
  text += QStringLiteral("tripID: %1\n").arg(data.tripID());
  text += QStringLiteral("version: %1\n").arg(data.version());
  text += QStringLiteral("imeiNumber: %1\n").arg(data.imeiNumber());
  text += QStringLiteral("groups: %1 (%2 valid)\n").arg(groups.count()).arg(validGroups);
  text += QStringLiteral("locations: %1 valid of %2\n").arg(valid.count()).arg(data.totalLocations().count());
  text += QStringLiteral("G samples: %1\n").arg(data.motions().count());
  text += QStringLiteral("drive-support records: %1\n").arg(data.driveSupports().count());
  text += QStringLiteral("maxSpeed: %1 m/s (%2 %3)\n")
              .arg(QString::number(maxSpeed, 'g', QLocale::FloatingPointShortest))
              .arg(static_cast<double>(CustomLocation::speedForCurrentLocale(maxSpeed)), 0, 'f', 1)
              .arg(CustomLocation::unitForCurrentLocale());
  text += QStringLiteral("maxMotionABS: %1\n")
              .arg(QString::number(data.maxMotionABS(), 'g', QLocale::FloatingPointShortest));
  if (valid.isEmpty()) {
    text += QStringLiteral("first valid fix: none\nlast valid fix: none");
  } else {
    text += QStringLiteral("first valid fix: %1\n").arg(fixText(valid.first()));
    text += QStringLiteral("last valid fix: %1").arg(fixText(valid.last()));
  }
  return text;
}

}  // namespace

int runTelemetryCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("telemetry"), QStringLiteral("FILE [--json]"),
                           QStringLiteral("Reads one telemetry file as the viewer does and prints what it holds:\n"
                                          "groups, fixes, G-sensor samples, drive-support records and maxima."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the whole model as one JSON object."));
  command.parser.addOption(json);
  command.parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Telemetry file (.NMEA) to read."));
  const QString path = command.parse(arguments, 1, 1, QStringLiteral("needs exactly one FILE")).at(0);
  command.failWhenUnreadable(path);
  const QFileInfo info(path);
  if (!info.exists()) {
    command.refuse(QStringLiteral("no such file: %1").arg(path));
  }
  if (info.isDir()) {
    command.refuse(QStringLiteral("%1 is a folder, not a telemetry file").arg(path));
  }
  // The parser never fails: a file that vanished meanwhile simply yields nothing.
  NMEAData data(path);
  data.setup();
  if (command.parser.isSet(json)) {
    printJson(telemetryJson(data));
  } else {
    printOut(summaryText(data));
  }
  return kExitOk;
}

}  // namespace dashcard::cli
