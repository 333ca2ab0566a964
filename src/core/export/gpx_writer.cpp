#include "core/export/gpx_writer.h"

#include "core/export/xml_node.h"
#include "core/telemetry/nmea_data.h"

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

QByteArray number(double value, int decimals) { return QByteArray::number(value, 'f', decimals); }

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
  XmlNode gpx("gpx");
  gpx.addAttribute("xmlns", "http://www.topografix.com/GPX/1/1")
      .addAttribute("xmlns:gpxtpx", "http://www.garmin.com/xmlschemas/TrackPointExtension/v2")
      .addAttribute("version", "1.1")
      .addAttribute("creator", "Dashcard");
  XmlNode& track = gpx.addChild(XmlNode("trk"));
  track.addChild(XmlNode("name", trackName.toUtf8()));
  XmlNode* segment = nullptr;
  forEachFix(locations, [&](const CustomLocation& fix, bool starts) {
    if (starts || segment == nullptr) segment = &track.addChild(XmlNode("trkseg"));
    XmlNode& point = segment->addChild(XmlNode("trkpt"));
    point.addAttribute("lat", number(fix.latitude, 7)).addAttribute("lon", number(fix.longitude, 7));
    point.addChild(XmlNode("ele", number(fix.altitude, 1)));
    point.addChild(
        XmlNode("time", fix.timestamp.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")).toLatin1()));
    // Unknown speed or course (-1) is carried over from the fix before, as the graph shows it.
    XmlNode& extension = point.addChild(XmlNode("extensions")).addChild(XmlNode("gpxtpx:TrackPointExtension"));
    extension.addChild(XmlNode("gpxtpx:speed", number(fix.displaySpeed(), 2)));
    extension.addChild(XmlNode("gpxtpx:course", number(fix.displayCourse(), 1)));
  });
  return XmlNode::prettyPrintedDocument(gpx, 1);
}

}  // namespace dashcard
