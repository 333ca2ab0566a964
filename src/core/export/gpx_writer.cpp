#include "core/export/gpx_writer.h"

#include <QXmlStreamWriter>

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
