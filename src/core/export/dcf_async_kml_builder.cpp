#include "core/export/dcf_async_kml_builder.h"

#include "core/common/atomic_file.h"
#include "core/common/color_palette.h"
#include "core/common/const_class.h"
#include "core/common/date_format.h"
#include "core/common/main_thread.h"
#include "core/export/kmz_writer.h"
#include "core/telemetry/nmea_data.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QThreadPool>

namespace dashcard {
namespace {

QString localized(const char* key) { return QCoreApplication::translate("DCFAsyncKMLBuilder", key); }

QByteArray fixed(double value, int decimals) { return QByteArray::number(value, 'f', decimals); }

// The event placemark's name key and style of an event kind.
std::pair<const char*, QByteArray> eventNameAndStyle(const QString& eventName) {
  if (eventName == ConstClass::DCF_EVENTNAME_MANUAL) {
    return {QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "MANUAL RECORD"), "#Events1"};
  }
  if (eventName == ConstClass::DCF_EVENTNAME_PARKING) {
    return {QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "PARKING RECORD"), "#Events2"};
  }
  return {QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "EVENT RECORD"), "#Events0"};
}

QImage drawBanner() {
  // Our own artwork: a road under a dusk sky with a position pin.
  QImage image(192, 108, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 60);
  sky.setColorAt(0, QColor(24, 44, 84));
  sky.setColorAt(1, QColor(92, 128, 170));
  painter.fillRect(QRect(0, 0, 192, 60), sky);
  painter.fillRect(QRect(0, 60, 192, 48), QColor(58, 92, 56));
  QPainterPath road;
  road.moveTo(86, 60);
  road.lineTo(106, 60);
  road.lineTo(170, 108);
  road.lineTo(22, 108);
  road.closeSubpath();
  painter.fillPath(road, QColor(70, 70, 76));
  painter.setPen(QPen(QColor(240, 240, 240), 2));
  for (int i = 0; i < 4; ++i) {
    const double y0 = 62 + i * 12;
    painter.drawLine(QPointF(96, y0), QPointF(96, y0 + 5 + i));
  }
  QPainterPath pin;
  pin.addEllipse(QPointF(150, 28), 11, 11);
  QPainterPath tip;
  tip.moveTo(141, 33);
  tip.lineTo(159, 33);
  tip.lineTo(150, 50);
  tip.closeSubpath();
  painter.fillPath(pin.united(tip), QColor(220, 40, 40));
  painter.setBrush(Qt::white);
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(150, 28), 4.5, 4.5);
  painter.end();
  return image;
}

}  // namespace

std::shared_ptr<DCFAsyncKMLBuilder> DCFAsyncKMLBuilder::create() {
  return std::shared_ptr<DCFAsyncKMLBuilder>(new DCFAsyncKMLBuilder());
}

void DCFAsyncKMLBuilder::kmlBuildAsync(const DCFInfoList& infos, const QString& targetFilePath,
                                       ProgressBlock progress, DidFinishBlock didFinish) {
  if (isRunning_.exchange(true)) {
    return;
  }
  if (infos.isEmpty()) {
    return;
  }
  progressBlock_ = progress ? std::move(progress) : [](const DCFInfoPtr&, float) {};
  didFinishBlock_ = didFinish ? std::move(didFinish) : [](const std::optional<QString>&) {};
  std::weak_ptr<DCFAsyncKMLBuilder> weakSelf = weak_from_this();
  QThreadPool::globalInstance()->start([weakSelf, infos, targetFilePath] {
    if (auto self = weakSelf.lock()) {
      self->run(infos, targetFilePath);
    }
  });
}

void DCFAsyncKMLBuilder::run(const DCFInfoList& infos, const QString& targetFilePath) {
  const auto count = static_cast<float>(infos.size());
  for (qsizetype i = 0; i < infos.size(); ++i) {
    if (cancelFlag()) {
      break;
    }
    const DCFInfoPtr& info = infos.at(i);
    NMEAData& nmea = *info->nmea();
    if (i > 0) {
      // Speed and heading carry over from one clip to the next.
      const NMEAData& previous = *infos.at(i - 1)->nmea();
      nmea.setLastValidSpeedLocation(previous.lastValidSpeedLocation());
      nmea.setLastValidHeadingLocation(previous.lastValidHeadingLocation());
    }
    nmea.setup();
    if (!cancelFlag()) {
      float value = static_cast<float>(i + 1) / count;
      if (value == 1.0f) {
        value = 0.99f;  // the full bar is the finish callback's
      }
      runOnMainThreadSync([this, &info, value] {
        // The sheet may have been closed while this call waited.
        if (!cancelFlag()) {
          progressBlock_(info, value);
        }
      });
    }
  }
  if (cancelFlag()) {
    return;
  }
  const std::vector<std::vector<CustomLocation>> groups = dayGroups(infos);
  if (cancelFlag()) {
    return;
  }
  std::vector<XmlNode> nodes;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (std::optional<XmlNode> folder = routeNodeFolderWithLocations(groups[i], static_cast<unsigned>(i))) {
      nodes.push_back(std::move(*folder));
    }
  }
  if (std::optional<XmlNode> events = eventNodeFolderWithLocations(infos)) {
    nodes.push_back(std::move(*events));
  }
  const QByteArray document = createXMLString(std::move(nodes));
  runOnMainThreadSync([this, &document, &targetFilePath] {
    if (cancelFlag()) {
      return;
    }
    QString errorText;
    if (writeDocument(document, targetFilePath, &errorText)) {
      didFinishBlock_(std::nullopt);
    } else {
      qWarning().noquote() << errorText;
      didFinishBlock_(errorText);
    }
  });
}

std::vector<std::vector<CustomLocation>> DCFAsyncKMLBuilder::dayGroups(const DCFInfoList& infos) {
  std::vector<std::vector<CustomLocation>> groups;
  std::vector<CustomLocation> open;
  QDateTime reference;
  const auto addIfNew = [&groups](const std::vector<CustomLocation>& group) {
    for (const auto& listed : groups) {
      if (listed == group) {
        return;
      }
    }
    groups.push_back(group);
  };
  for (const DCFInfoPtr& info : infos) {
    const TelemetryList<CustomLocation> locations = info->nmea()->varidLocations();
    if (locations.isEmpty()) {
      continue;
    }
    const QDateTime timestamp = locations.first().timestamp;
    if (!reference.isValid()) {
      reference = timestamp;
    }
    if (ColorPalette::shouldChangeRouteColor(reference, timestamp)) {
      addIfNew(open);
      open.assign(locations.begin(), locations.end());
      reference = timestamp;
    } else {
      open.insert(open.end(), locations.begin(), locations.end());
    }
  }
  addIfNew(open);
  return groups;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::routeNodeFolderWithLocations(const std::vector<CustomLocation>& locations,
                                                                        unsigned styleIndex) {
  if (locations.empty()) {
    return std::nullopt;
  }
  const unsigned style = styleIndex % kTrackStyleCount;
  XmlNode folder("Folder");
  folder.addChild(XmlNode("name", kmlFolderName(locations.front().timestamp).toUtf8()));
  XmlNode placemark("Placemark");
  placemark.addChild(XmlNode("styleUrl", "#tracks" + QByteArray::number(style)));
  QByteArray coordinates;
  coordinates.reserve(static_cast<qsizetype>(locations.size()) * 32);
  XmlNode track("Track");
  track.addAttribute("xmlns", kExtensionNamespace);
  track.children.reserve(locations.size() * 2);
  for (const CustomLocation& location : locations) {
    coordinates.append(fixed(location.longitude, 6)).append(',').append(fixed(location.latitude, 6)).append(",0.0 ");
    std::vector<XmlNode> pair = whenAndCoordNodesForLocation(location);
    if (pair.size() == 2) {
      track.children.push_back(std::move(pair[0]));
      track.children.push_back(std::move(pair[1]));
    }
  }
  XmlNode& line = placemark.addChild(XmlNode("LineString"));
  line.addChild(XmlNode("tessellate", "1"));
  line.addChild(XmlNode("coordinates", coordinates));
  placemark.addChild(std::move(track));
  folder.addChild(std::move(placemark));
  return folder;
}

std::vector<XmlNode> DCFAsyncKMLBuilder::whenAndCoordNodesForLocation(const CustomLocation& location) {
  const QString when = kmlWhenString(location.timestamp);
  if (when.isEmpty()) {
    return {};
  }
  std::vector<XmlNode> pair;
  pair.reserve(2);
  pair.emplace_back("when", when.toLatin1()).addAttribute("xmlns", QByteArray());
  pair.emplace_back("coord", fixed(location.longitude, 12) + ' ' + fixed(location.latitude, 12) + " 0");
  return pair;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::eventNodeFolderWithLocations(const DCFInfoList& infos) {
  if (infos.isEmpty()) {
    return std::nullopt;
  }
  XmlNode folder("Folder");
  folder.addChild(XmlNode("name", localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "Event")).toUtf8()));
  for (const DCFInfoPtr& info : infos) {
    if (!info->isEventDCF()) {
      continue;
    }
    if (std::optional<XmlNode> placemark = eventNodeForEventInfo(*info)) {
      folder.addChild(std::move(*placemark));
    }
  }
  return folder;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::eventNodeForEventInfo(const DCFInfo& info) {
  const TelemetryList<CustomLocation> locations = info.nmea()->varidLocations();
  if (locations.isEmpty()) {
    return std::nullopt;
  }
  const CustomLocation& position = locations.first();
  const auto [nameKey, style] = eventNameAndStyle(info.eventName());
  const QString name = localized(nameKey);
  XmlNode placemark("Placemark");
  placemark.addChild(XmlNode("name", name.toUtf8()));
  XmlNode& lookAt = placemark.addChild(XmlNode("LookAt"));
  lookAt.children = lookAtNodesForLocation(position);
  placemark.addChild(descriptionNodeForLocation(position, name));
  placemark.addChild(XmlNode("styleUrl", style));
  XmlNode& point = placemark.addChild(XmlNode("Point"));
  point.addChild(XmlNode("coordinates", fixed(position.longitude, 6) + ',' + fixed(position.latitude, 6) + ",0"));
  return placemark;
}

std::vector<XmlNode> DCFAsyncKMLBuilder::lookAtNodesForLocation(const CustomLocation& location) {
  std::vector<XmlNode> nodes;
  XmlNode timeStamp("TimeStamp");
  timeStamp.addAttribute("xmlns", kExtensionNamespace);
  timeStamp.addChild(XmlNode("when", kmlWhenString(location.timestamp).toLatin1())).addAttribute("xmlns", {});
  nodes.push_back(std::move(timeStamp));
  nodes.emplace_back("longitude", fixed(location.longitude, 6));
  nodes.emplace_back("latitude", fixed(location.latitude, 6));
  nodes.emplace_back("altitude", "0");
  const double heading = location.course == -1.0 ? location.correctedDirection : location.course;
  nodes.emplace_back("heading", fixed(heading, 6));
  return nodes;
}

XmlNode DCFAsyncKMLBuilder::descriptionNodeForLocation(const CustomLocation& location,
                                                       const QString& eventPlacemarkName) {
  return XmlNode("description", (descriptionBody() + descriptionFooter(location, eventPlacemarkName)).toUtf8());
}

QByteArray DCFAsyncKMLBuilder::bannerJpeg() {
  static const QByteArray jpeg = [] {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(80);
    writer.setProgressiveScanWrite(false);
    writer.write(drawBanner());
    return data;
  }();
  return jpeg;
}

QString DCFAsyncKMLBuilder::descriptionBody() {
  static const QString body = QStringLiteral("<![CDATA[<img src='data:image/jpeg;base64,") +
                              QString::fromLatin1(bannerJpeg().toBase64()) + QStringLiteral("' /><br>>");
  return body;
}

QString DCFAsyncKMLBuilder::descriptionFooter(const CustomLocation& location, const QString& eventPlacemarkName) {
  const auto fill = [](const char* key, const QString& value) {
    return localized(key).replace(QStringLiteral("%@"), value);
  };
  QString footer = fill(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "DATE/TIME: %@<br>"),
                        kmlEventDescriptionString(location.timestamp));
  footer += fill(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "EVENT: %@<br>"), eventPlacemarkName);
  footer += localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "LAT.: %1$@<br>LONG.: %2$@<br>"))
                .replace(QStringLiteral("%1$@"), QString::fromLatin1(fixed(location.latitude, 6)))
                .replace(QStringLiteral("%2$@"), QString::fromLatin1(fixed(location.longitude, 6)));
  float speed = location.speed == -1.0 ? CustomLocation::speedForCurrentLocale(location.correctedSpeed)
                                       : location.speedForCurrentLocale();
  if (speed < 1.0f) {
    speed = 0.0f;
  }
  const QString speedText = QString::fromLatin1(fixed(speed, 1));
  footer += CustomLocation::shouldUseMilePerHour()
                ? fill(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "SPD: %@ mph<br>"), speedText)
                : fill(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "SPD: %@ km/h<br>"), speedText);
  const float direction = static_cast<float>(location.course == -1.0 ? location.correctedDirection : location.course);
  footer += fill(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "DIRECTION: %@ °"), QString::fromLatin1(fixed(direction, 1)));
  return footer;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::styleMapForTracksNodeWithIndex(unsigned index, unsigned type) {
  QColor color;
  QByteArray styleName;
  QByteArray prefix;
  if (type == 0 && index < kTrackStyleCount) {
    color = ColorPalette::routeColors().at(static_cast<qsizetype>(index));
    styleName = "LineStyle";
    prefix = "tracks";
  } else if (type == 1 && index < kEventStyleCount) {
    color = ColorPalette::iconColors().at(static_cast<qsizetype>(index));
    styleName = "IconStyle";
    prefix = "Events";
  } else {
    return std::nullopt;
  }
  const QByteArray colorText = ColorPalette::colorString(color).toLatin1();
  XmlNode styleMap("StyleMap");
  styleMap.addAttribute("id", prefix + QByteArray::number(index));
  for (const auto& [key, width] : {std::pair<QByteArray, QByteArray>{"normal", "6"}, {"highlight", "8"}}) {
    XmlNode& pair = styleMap.addChild(XmlNode("Pair"));
    pair.addChild(XmlNode("key", key));
    XmlNode& style = pair.addChild(XmlNode("Style"));
    XmlNode& lineOrIcon = style.addChild(XmlNode(styleName));
    lineOrIcon.addChild(XmlNode("color", colorText));
    lineOrIcon.addChild(XmlNode("width", width));
  }
  return styleMap;
}

QByteArray DCFAsyncKMLBuilder::createXMLString(std::vector<XmlNode> nodes) {
  XmlNode kml("kml");
  kml.addAttribute("xmlns", kKmlNamespace);
  kml.addAttribute("xmlns:kml", kKmlNamespace);
  XmlNode& document = kml.addChild(XmlNode("Document"));
  document.addChild(XmlNode("name", localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "ROUTE")).toUtf8()));
  for (unsigned i = 0; i < kTrackStyleCount; ++i) {
    document.addChild(*styleMapForTracksNodeWithIndex(i, 0));
  }
  for (unsigned i = 0; i < kEventStyleCount; ++i) {
    document.addChild(*styleMapForTracksNodeWithIndex(i, 1));
  }
  for (XmlNode& node : nodes) {
    document.children.push_back(std::move(node));
  }
  return XmlNode::prettyPrintedDocument(kml);
}

bool DCFAsyncKMLBuilder::isKmzPath(const QString& targetFilePath) {
  return QFileInfo(targetFilePath).suffix().compare(QLatin1String("kmz"), Qt::CaseInsensitive) == 0;
}

bool DCFAsyncKMLBuilder::writeDocument(const QByteArray& document, const QString& targetFilePath,
                                       QString* errorText) {
  if (isKmzPath(targetFilePath)) {
    return KmzWriter::writeEntry(targetFilePath, document, errorText);
  }
  return writeFileAtomically(targetFilePath, document, errorText);
}

}  // namespace dashcard
