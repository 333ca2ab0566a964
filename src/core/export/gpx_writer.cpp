#include "core/export/gpx_writer.h"

#include "core/telemetry/nmea_data.h"

#include <QXmlStreamWriter>

#include <algorithm>

namespace dashcard {
namespace {

bool usable(const CustomLocation& location) {
  return location.hasCoordinate() && location.timestamp.isValid() && location.timestamp != CustomLocation::epoch();
}

// Calls `body(location, startsSegment)` for every usable fix.
template <typename Body>
void forEachFix(const std::vector<CustomLocation>& locations, Body&& body) {
  const CustomLocation* previous = nullptr;
  for (const CustomLocation& location : locations) {
    if (!usable(location)) continue;
    const bool starts = previous == nullptr ||
                        previous->timestamp.msecsTo(location.timestamp) > GpxWriter::kSegmentGapSeconds * 1000.0 ||
                        location.timestamp < previous->timestamp;
    body(location, starts);
    previous = &location;
  }
}

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace

std::vector<CustomLocation> GpxWriter::locationsInSpan(const DCFInfoList& recordings, const QDateTime& from,
                                                              const QDateTime& to) {
  const bool bounded = from.isValid() && to.isValid();
  std::vector<CustomLocation> result;
  for (qsizetype i = 0; i < recordings.size(); ++i) {
    NMEAData& nmea = *recordings.at(i)->nmea();
    if (i > 0) {
      const NMEAData& previous = *recordings.at(i - 1)->nmea();
      nmea.setLastValidSpeedLocation(previous.lastValidSpeedLocation());
      nmea.setLastValidHeadingLocation(previous.lastValidHeadingLocation());
    }
    nmea.setup();
    for (const CustomLocation& location : nmea.varidLocations()) {
      if (!location.hasCoordinate()) continue;
      if (bounded && (location.timestamp < from || location.timestamp > to)) continue;
      result.push_back(location);
    }
  }
  std::stable_sort(result.begin(), result.end(),
                   [](const CustomLocation& a, const CustomLocation& b) { return a.timestamp < b.timestamp; });
  return result;
}

int GpxWriter::segmentCount(const std::vector<CustomLocation>& locations) {
  int count = 0;
  forEachFix(locations, [&count](const CustomLocation&, bool starts) { count += starts ? 1 : 0; });
  return count;
}

QByteArray GpxWriter::document(const std::vector<CustomLocation>& locations, const QString& trackName) {
  QByteArray out;
  QXmlStreamWriter xml(&out);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(1);
  xml.writeStartDocument();
  xml.writeStartElement(QStringLiteral("gpx"));
  xml.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
  xml.writeNamespace(QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2"),
                     QStringLiteral("gpxtpx"));
  xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
  xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("Dashcard"));
  xml.writeStartElement(QStringLiteral("trk"));
  xml.writeTextElement(QStringLiteral("name"), trackName);
  bool open = false;
  forEachFix(locations, [&](const CustomLocation& fix, bool starts) {
    if (starts) {
      if (open) xml.writeEndElement();
      xml.writeStartElement(QStringLiteral("trkseg"));
      open = true;
    }
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), number(fix.latitude, 7));
    xml.writeAttribute(QStringLiteral("lon"), number(fix.longitude, 7));
    xml.writeTextElement(QStringLiteral("ele"), number(fix.altitude, 1));
    xml.writeTextElement(QStringLiteral("time"),
                         fix.timestamp.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
    // Unknown speed or course (-1) is carried over from the fix before, as the graph shows it.
    xml.writeStartElement(QStringLiteral("extensions"));
    xml.writeStartElement(QStringLiteral("gpxtpx:TrackPointExtension"));
    xml.writeTextElement(QStringLiteral("gpxtpx:speed"), number(fix.displaySpeed(), 2));
    xml.writeTextElement(QStringLiteral("gpxtpx:course"), number(fix.displayCourse(), 1));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
  });
  if (open) xml.writeEndElement();
  xml.writeEndElement();  // trk
  xml.writeEndElement();  // gpx
  xml.writeEndDocument();
  return out;
}

}  // namespace dashcard
