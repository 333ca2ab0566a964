#include "cli/card_trips.h"
#include "cli/cli_support.h"
#include "cli/commands.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace dashcard::cli {

int runEventsCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("events"), QStringLiteral("CARD [--json] [--kind braking|acceleration|cornering]"),
      QStringLiteral("Lists the harsh braking, acceleration and cornering found in a card's G-sensor\n"
                     "samples (at least 0.45 g, 0.35 g and 0.50 g for half a second), in time order."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the events as one JSON object."));
  const QCommandLineOption kind(QStringLiteral("kind"), QStringLiteral("Only events of this kind."),
                                QStringLiteral("braking|acceleration|cornering"));
  command.parser.addOption(json);
  command.parser.addOption(kind);
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  const QString root = absolutePath(command.parse(arguments, 1, 1, QStringLiteral("needs exactly one CARD")).at(0));
  std::optional<DrivingEvent::Kind> only;
  if (command.parser.isSet(kind)) {
    only = DrivingEvent::kindFromName(command.parser.value(kind));
    if (!only) command.refuse(QStringLiteral("--kind takes braking, acceleration or cornering."));
  }
  const CardScanner::Result scan = command.scanCard(root);
  const TripBuilder::Result result = tripsOfCard(root, scan.recordings);
  QList<TripEvent> events;
  for (const Trip& trip : result.trips) {
    for (const TripEvent& event : trip.events) {
      if (!only || event.event.kind == *only) events.append(event);
    }
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const TripEvent& a, const TripEvent& b) { return a.time < b.time; });

  if (command.parser.isSet(json)) {
    QJsonArray list;
    for (const TripEvent& event : events) {
      list.append(QJsonObject{{QStringLiteral("kind"), DrivingEvent::kindName(event.event.kind)},
                              {QStringLiteral("time"), isoDate(event.time)},
                              {QStringLiteral("peakG"), jsonNumber(event.event.peakG)},
                              {QStringLiteral("recording"), event.recording->deltaPath()}});
    }
    printJson(QJsonObject{{QStringLiteral("events"), list}});
    return kExitOk;
  }
  QString text = QStringLiteral("Card %1: %2 driving events\n").arg(root).arg(events.size());
  for (const TripEvent& event : events) {
    text += QStringLiteral("  %1  %2  %3 g  %4 s  %5 at %6 s\n")
                .arg(isoDate(event.time), DrivingEvent::kindName(event.event.kind).leftJustified(12))
                .arg(event.event.peakG, 0, 'f', 2)
                .arg(event.event.durationSeconds, 0, 'f', 1)
                .arg(event.recording->deltaPath())
                .arg(event.event.seconds, 0, 'f', 1);
  }
  printOut(text.trimmed());
  return kExitOk;
}

}  // namespace dashcard::cli
