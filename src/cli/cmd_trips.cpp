#include "cli/card_trips.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/place_names.h"
#include "core/settings/time_zone_item.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace dashcard::cli {

QTimeZone cameraZoneOfCard(const QString& root) { return TimeZoneItem::timeZoneOfCard(root); }

TripBuilder::Result tripsOfCard(const QString& root, const DCFInfoList& recordings, int gapMinutes,
                                const DrivingEventThresholds& thresholds) {
  TripBuilder::Options options;
  options.thresholds = thresholds;
  options.gapMinutes = gapMinutes;
  options.cameraZone = cameraZoneOfCard(root);
  options.places = PlaceNames::builtIn();
  const TripOverrides overrides =
      TripOverrides::load(TripOverrides::defaultFolder(), TripOverrides::cardIdentity(root, recordings));
  return TripBuilder::build(recordings, TripBuilder::readTelemetry(recordings), options, overrides);
}

namespace {

QJsonValue textOrNull(const QString& text) { return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text); }

QString localText(const QDateTime& time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")); }

}  // namespace

int runTripsCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("trips"), QStringLiteral("CARD [--json] [--gap MINUTES] [--merge RECORDING] [--split RECORDING]"),
                           QStringLiteral("Groups a card's recordings into drives (the camera's trip ids, else gaps\n"
                                          "between recordings; parking recordings stay out) and prints each with\n"
                                          "its times, distance, speeds, driving events and places."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the trips as one JSON object."));
  const QCommandLineOption gap(QStringLiteral("gap"),
                               QStringLiteral("A pause longer than this starts a new trip (default 5)."),
                               QStringLiteral("MINUTES"), QStringLiteral("5"));
  const QCommandLineOption merge(QStringLiteral("merge"),
                                 QStringLiteral("Merge the trip this recording starts into the one before, and remember it."),
                                 QStringLiteral("RECORDING"));
  const QCommandLineOption split(QStringLiteral("split"),
                                 QStringLiteral("Start a new trip at this recording, and remember it."),
                                 QStringLiteral("RECORDING"));
  command.parser.addOption(json);
  command.parser.addOption(gap);
  command.parser.addOption(merge);
  command.parser.addOption(split);
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  const QString root = absolutePath(command.parse(arguments, 1, 1, QStringLiteral("needs exactly one CARD")).at(0));
  bool ok = false;
  const int gapMinutes = command.parser.value(gap).toInt(&ok);
  if (!ok || gapMinutes < 0 || gapMinutes > 24 * 60) {
    command.refuse(QStringLiteral("--gap takes whole minutes from 0 to 1440."));
  }
  const CardScanner::Result scan = command.scanCard(root);
  if (command.parser.isSet(merge) || command.parser.isSet(split)) {
    // Kept in the application's data folder, never on the card.
    const QString identity = TripOverrides::cardIdentity(root, scan.recordings);
    TripOverrides overrides = TripOverrides::load(TripOverrides::defaultFolder(), identity);
    for (const QString& name : command.parser.values(merge)) overrides.merge(command.recording(scan.recordings, name)->deltaPath());
    for (const QString& name : command.parser.values(split)) overrides.split(command.recording(scan.recordings, name)->deltaPath());
    QString error;
    if (!overrides.save(TripOverrides::defaultFolder(), identity, &error)) command.fail(error);
  }
  const TripBuilder::Result result = tripsOfCard(root, scan.recordings, gapMinutes);


  if (command.parser.isSet(json)) {
    QJsonArray trips;
    for (const Trip& trip : result.trips) {
      QJsonArray recordings;
      for (const DCFInfoPtr& info : trip.recordings) recordings.append(info->deltaPath());
      trips.append(QJsonObject{{QStringLiteral("start"), isoDate(trip.start)},
                               {QStringLiteral("end"), isoDate(trip.end)},
                               {QStringLiteral("recordings"), recordings},
                               {QStringLiteral("distanceMeters"), jsonNumber(trip.distanceMeters)},
                               {QStringLiteral("durationSeconds"), jsonNumber(trip.durationSeconds)},
                               {QStringLiteral("maxSpeedMps"), jsonNumber(trip.maxSpeedMps)},
                               {QStringLiteral("from"), textOrNull(trip.from)},
                               {QStringLiteral("to"), textOrNull(trip.to)},
                               {QStringLiteral("events"), static_cast<qint64>(trip.events.size())}});
    }
    printJson(QJsonObject{{QStringLiteral("trips"), trips}});
    return kExitOk;
  }
  QString text = QStringLiteral("Card %1: %2 trips\n").arg(root).arg(result.trips.size());
  int number = 0;
  for (const Trip& trip : result.trips) {
    const QString places = trip.from.isEmpty() && trip.to.isEmpty()
                               ? QString()
                               : QStringLiteral("  %1 -> %2").arg(trip.from.isEmpty() ? QStringLiteral("?") : trip.from,
                                                                   trip.to.isEmpty() ? QStringLiteral("?") : trip.to);
    text += QStringLiteral("Trip %1: %2 to %3 (UTC %4 to %5), %6 min, %7 km, max %8 km/h, moving average %9 km/h, "
                           "%10 events%11\n")
                .arg(++number)
                .arg(localText(trip.startLocal), localText(trip.endLocal), isoDate(trip.start), isoDate(trip.end))
                .arg(trip.durationSeconds / 60.0, 0, 'f', 1)
                .arg(trip.distanceMeters / 1000.0, 0, 'f', 2)
                .arg(trip.maxSpeedMps * 3.6, 0, 'f', 0)
                .arg(trip.averageMovingSpeedMps * 3.6, 0, 'f', 0)
                .arg(trip.events.size())
                .arg(places);
    for (const DCFInfoPtr& info : trip.recordings) {
      text += QStringLiteral("  %1\n").arg(info->deltaPath());
    }
  }
  if (result.clockOffsetSeconds) {
    text += QStringLiteral("Camera clock minus GPS time: %1 s\n").arg(std::round(*result.clockOffsetSeconds * 10) / 10);
  }
  printOut(text.trimmed());

  return kExitOk;
}

}  // namespace dashcard::cli
