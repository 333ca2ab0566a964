#include "core/export/dcf_async_kml_builder.h"

#include "core/common/atomic_file.h"
#include "core/common/color_palette.h"
#include "core/common/const_class.h"
#include "core/common/date_format.h"
#include "core/common/main_thread.h"
#include "core/common/parallel_chunks.h"
#include "core/export/kmz_writer.h"
#include "core/telemetry/nmea_data.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <charconv>

namespace dashcard {
namespace {

QString localized(const char* key) { return QCoreApplication::translate("DCFAsyncKMLBuilder", key); }

// Fixed-point text of `value` appended to `out` ("%.<decimals>f" in the C locale).
void appendFixed(QByteArray& out, double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr - buffer);
}

QByteArray fixed(double value, int decimals) {
  QByteArray out;
  appendFixed(out, value, decimals);
  return out;
}

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

}  // namespace

std::shared_ptr<DCFAsyncKMLBuilder> DCFAsyncKMLBuilder::create() {
  return std::shared_ptr<DCFAsyncKMLBuilder>(new DCFAsyncKMLBuilder());
}

void DCFAsyncKMLBuilder::kmlBuildAsync(const DCFInfoList& infos, const QString& targetFilePath, ProgressBlock progress,
                                       DidFinishBlock didFinish) {
  if (isRunning_.exchange(true)) {
    // The export under way keeps its callbacks; this call still gets its end.
    if (didFinish) {
      runOnMainThreadAsync([didFinish] { didFinish(localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "An export is already running."))); });
    }
    return;
  }
  progressBlock_ = progress ? std::move(progress) : [](const DCFInfoPtr&, float) {};
  didFinishBlock_ = didFinish ? std::move(didFinish) : [](const std::optional<QString>&) {};
  if (infos.isEmpty()) {
    isRunning_ = false;
    runOnMainThreadAsync([finish = didFinishBlock_] { finish(localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "There are no recordings to export."))); });
    return;
  }
  std::weak_ptr<DCFAsyncKMLBuilder> weakSelf = weak_from_this();
  startBackgroundJob([weakSelf, infos, targetFilePath] {
    if (auto self = weakSelf.lock()) {
      self->run(infos, targetFilePath);
    }
  });
}

void DCFAsyncKMLBuilder::run(const DCFInfoList& infos, const QString& targetFilePath) {
  std::optional<QString> error;
  bool stopped = true;
  if (readAndPublish(infos)) {
    const XmlNode document = build(infos);
    if (!cancelFlag()) {
      error = write(document, targetFilePath, &stopped);
    }
  }
  isRunning_ = false;
  if (error) {
    qWarning().noquote() << *error;
  }
  if (stopped) {
    return;
  }
  // Past the last look at the cancel flag the target is written (or the
  // write failed): a cancel now is too late to stop anything, and the end
  // is reported all the same.
  const DidFinishBlock finish = didFinishBlock_;
  runOnMainThread([&] { finish(error); });
}

bool DCFAsyncKMLBuilder::readAndPublish(const DCFInfoList& infos) {
  const auto count = static_cast<std::size_t>(infos.size());
  const auto total = static_cast<float>(count);
  // Blocks of files are read side by side, each without carry-over, then
  // published in list order with the carry-over of the one before; a file
  // whose result that carry-over changes is read again.
  constexpr std::size_t kBlock = 64;
  std::vector<std::shared_ptr<const NMEAData::Preparse>> preparsed;
  for (std::size_t begin = 0; begin < count; begin += kBlock) {
    const std::size_t end = std::min(count, begin + kBlock);
    preparsed.assign(end - begin, nullptr);
    forEachInParallel(
        end - begin, 1,
        [&](std::size_t i) { preparsed[i] = infos.at(static_cast<qsizetype>(begin + i))->nmea()->preparse(); },
        [this] { return cancelFlag(); });
    for (std::size_t i = begin; i < end; ++i) {
      if (cancelFlag()) {
        return false;
      }
      const DCFInfoPtr& info = infos.at(static_cast<qsizetype>(i));
      NMEAData& nmea = *info->nmea();
      if (i > 0) {
        // Speed and heading carry over from one clip to the next.
        const NMEAData& previous = *infos.at(static_cast<qsizetype>(i) - 1)->nmea();
        nmea.setLastValidSpeedLocation(previous.lastValidSpeedLocation());
        nmea.setLastValidHeadingLocation(previous.lastValidHeadingLocation());
      }
      nmea.setup(preparsed[i - begin]);
      preparsed[i - begin].reset();
      // The full bar is the finish's.
      const float value = std::min(static_cast<float>(i + 1) / total, 0.99f);
      // Queued without waiting: a thread hand-over per recording would cost
      // more than the parse itself. Reports still arrive in order and before
      // the finish.
      std::weak_ptr<DCFAsyncKMLBuilder> weakSelf = weak_from_this();
      runOnMainThreadAsync([weakSelf, info, value] {
        const auto self = weakSelf.lock();
        // The sheet may have been closed while this call waited.
        if (self && !self->cancelFlag()) {
          self->progressBlock_(info, value);
        }
      });
    }
  }
  return !cancelFlag();
}

XmlNode DCFAsyncKMLBuilder::build(const DCFInfoList& infos) {
  const std::vector<LocationGroup> groups = dayGroups(infos);
  // Each day's folder and the event folder are made side by side, then
  // put in their order.
  std::vector<std::optional<XmlNode>> folders(groups.size() + 1);
  forEachInParallel(folders.size(), 1, [&](std::size_t i) {
    folders[i] = i < groups.size() ? routeNodeFolderWithLocations(groups[i], static_cast<unsigned>(i))
                                   : eventNodeFolderWithLocations(infos);
  });
  std::vector<XmlNode> nodes;
  for (std::optional<XmlNode>& folder : folders) {
    if (folder) {
      nodes.push_back(std::move(*folder));
    }
  }
  return createXMLDocument(std::move(nodes));
}

std::optional<QString> DCFAsyncKMLBuilder::write(const XmlNode& document, const QString& targetFilePath,
                                                 bool* stopped) {
  *stopped = true;
  // The progress reports queued so far are served first, so a cancel they
  // lead to is seen before the target changes.
  const auto servedWithoutCancel = [this] { return runOnMainThread([] {}, cancelFlag_) && !cancelFlag(); };
  QString errorText;
  if (isKmzPath(targetFilePath)) {
    if (!servedWithoutCancel()) {
      return std::nullopt;
    }
    *stopped = false;
    // The archive takes the entry whole.
    if (!writeDocument(XmlNode::prettyPrintedDocument(document), targetFilePath, &errorText)) {
      return errorText;
    }
    return std::nullopt;
  }
  // A plain document is streamed into a temporary file; the target changes
  // only with the rename, after the last look at the cancel flag. A
  // regenerable export: no wait for the disk.
  AtomicFileWriter writer(targetFilePath, false);
  if (writer.open(&errorText)) {
    XmlNode::writeDocument(document, [&writer](const char* data, qsizetype size) { writer.write(data, size); });
  }
  if (!servedWithoutCancel()) {
    writer.discard();
    return std::nullopt;
  }
  *stopped = false;
  if (errorText.isEmpty() && writer.commit(&errorText)) {
    return std::nullopt;
  }
  return errorText;
}

namespace {

qsizetype groupSize(const LocationGroup& group) {
  qsizetype size = 0;
  for (const auto& run : group) {
    size += run.count();
  }
  return size;
}

// Groups are compared by content, position by position.
bool sameContent(const LocationGroup& a, const LocationGroup& b) {
  if (groupSize(a) != groupSize(b)) {
    return false;
  }
  std::size_t runB = 0;
  std::size_t indexB = 0;
  for (const auto& run : a) {
    for (const CustomLocation& location : run) {
      while (indexB >= b[runB].size()) {
        ++runB;
        indexB = 0;
      }
      if (!(location == b[runB][indexB++])) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

std::vector<LocationGroup> DCFAsyncKMLBuilder::dayGroups(const DCFInfoList& infos) {
  std::vector<LocationGroup> groups;
  LocationGroup open;
  QDateTime reference;
  const auto addIfNew = [&groups](const LocationGroup& group) {
    for (const auto& listed : groups) {
      if (sameContent(listed, group)) {
        return;
      }
    }
    groups.push_back(group);
  };
  for (const DCFInfoPtr& info : infos) {
    LocationList locations = info->nmea()->varidLocations();
    if (locations.isEmpty()) {
      continue;
    }
    const QDateTime timestamp = locations.first().timestamp;
    if (!reference.isValid()) {
      reference = timestamp;
    }
    if (ColorPalette::shouldChangeRouteColor(reference, timestamp)) {
      addIfNew(open);
      open.clear();
      reference = timestamp;
    }
    open.push_back(std::move(locations));
  }
  addIfNew(open);
  return groups;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::routeNodeFolderWithLocations(const std::vector<CustomLocation>& locations,
                                                                        unsigned styleIndex) {
  if (locations.empty()) {
    return std::nullopt;
  }
  auto fixes = std::make_shared<FixList>();
  for (const CustomLocation& location : locations) {
    fixes->push_back(location);
  }
  const LocationGroup group{fixes->list(fixes, 0, fixes->size())};
  return routeNodeFolderWithLocations(group, styleIndex);
}

std::optional<XmlNode> DCFAsyncKMLBuilder::routeNodeFolderWithLocations(const LocationGroup& group,
                                                                        unsigned styleIndex) {
  const qsizetype count = groupSize(group);
  if (count == 0) {
    return std::nullopt;
  }
  std::optional<CustomLocation> first;
  for (const auto& run : group) {
    if (!run.isEmpty()) {
      first = run.first();
      break;
    }
  }
  const unsigned style = styleIndex % kTrackStyleCount;
  XmlNode folder(QByteArrayLiteral("Folder"));
  folder.addChild(XmlNode(QByteArrayLiteral("name"), kmlFolderName(first->timestamp).toUtf8()));
  XmlNode placemark(QByteArrayLiteral("Placemark"));
  placemark.addChild(XmlNode(QByteArrayLiteral("styleUrl"), "#tracks" + QByteArray::number(style)));
  QByteArray coordinates;
  coordinates.reserve(count * 32);
  XmlNode track(QByteArrayLiteral("Track"));
  track.addAttribute(QByteArrayLiteral("xmlns"), kExtensionNamespace);
  // The when/coord pairs are written straight away: a node per fix would
  // cost more than the rest of the export.
  QByteArray& pairs = track.rawChildren;
  // A when line and a coord line are about 100 bytes together.
  pairs.reserve(count * 104);
  for (const auto& run : group) {
    for (const CustomLocation& location : run) {
      appendFixed(coordinates, location.longitude, 6);
      coordinates.append(',');
      appendFixed(coordinates, location.latitude, 6);
      coordinates.append(",0.0 ", 5);
      // Digits, signs and separators only: nothing to escape.
      const qsizetype mark = pairs.size();
      pairs.append("<when xmlns=\"\">", 15);
      if (!appendKmlWhen(pairs, location.timestamp)) {
        pairs.truncate(mark);
        continue;
      }
      pairs.append("</when>\r\n<coord>", 16);
      appendFixed(pairs, location.longitude, 12);
      pairs.append(' ');
      appendFixed(pairs, location.latitude, 12);
      pairs.append(" 0</coord>\r\n", 12);
    }
  }
  XmlNode& line = placemark.addChild(XmlNode(QByteArrayLiteral("LineString")));
  line.addChild(XmlNode(QByteArrayLiteral("tessellate"), "1"));
  line.addChild(XmlNode(QByteArrayLiteral("coordinates"), coordinates));
  placemark.addChild(std::move(track));
  folder.addChild(std::move(placemark));
  return folder;
}

std::vector<XmlNode> DCFAsyncKMLBuilder::whenAndCoordNodesForLocation(const CustomLocation& location) {
  QByteArray when = kmlWhenLatin1(location.timestamp);
  if (when.isEmpty()) {
    return {};
  }
  std::vector<XmlNode> pair;
  pair.reserve(2);
  pair.emplace_back(QByteArrayLiteral("when"), std::move(when)).addAttribute(QByteArrayLiteral("xmlns"), QByteArray());
  QByteArray coord;
  coord.reserve(40);
  appendFixed(coord, location.longitude, 12);
  coord.append(' ');
  appendFixed(coord, location.latitude, 12);
  coord.append(" 0", 2);
  pair.emplace_back(QByteArrayLiteral("coord"), std::move(coord));
  return pair;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::eventNodeFolderWithLocations(const DCFInfoList& infos) {
  if (infos.isEmpty()) {
    return std::nullopt;
  }
  XmlNode folder(QByteArrayLiteral("Folder"));
  folder.addChild(
      XmlNode(QByteArrayLiteral("name"), localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "Event")).toUtf8()));
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
  const LocationList locations = info.nmea()->varidLocations();
  if (locations.isEmpty()) {
    return std::nullopt;
  }
  const CustomLocation position = locations.first();
  const auto [nameKey, style] = eventNameAndStyle(info.eventName());
  const QString name = localized(nameKey);
  XmlNode placemark(QByteArrayLiteral("Placemark"));
  placemark.addChild(XmlNode(QByteArrayLiteral("name"), name.toUtf8()));
  XmlNode& lookAt = placemark.addChild(XmlNode(QByteArrayLiteral("LookAt")));
  lookAt.children = lookAtNodesForLocation(position);
  placemark.addChild(descriptionNodeForLocation(position, name));
  placemark.addChild(XmlNode(QByteArrayLiteral("styleUrl"), style));
  XmlNode& point = placemark.addChild(XmlNode(QByteArrayLiteral("Point")));
  point.addChild(XmlNode(QByteArrayLiteral("coordinates"),
                         fixed(position.longitude, 6) + ',' + fixed(position.latitude, 6) + ",0"));
  return placemark;
}

std::vector<XmlNode> DCFAsyncKMLBuilder::lookAtNodesForLocation(const CustomLocation& location) {
  std::vector<XmlNode> nodes;
  XmlNode timeStamp("TimeStamp");
  timeStamp.addAttribute(QByteArrayLiteral("xmlns"), kExtensionNamespace);
  timeStamp.addChild(XmlNode(QByteArrayLiteral("when"), kmlWhenString(location.timestamp).toLatin1()))
      .addAttribute(QByteArrayLiteral("xmlns"), {});
  nodes.push_back(std::move(timeStamp));
  nodes.emplace_back(QByteArrayLiteral("longitude"), fixed(location.longitude, 6));
  nodes.emplace_back(QByteArrayLiteral("latitude"), fixed(location.latitude, 6));
  nodes.emplace_back(QByteArrayLiteral("altitude"), "0");
  const double heading = location.course == -1.0 ? location.correctedDirection : location.course;
  nodes.emplace_back(QByteArrayLiteral("heading"), fixed(heading, 6));
  return nodes;
}

XmlNode DCFAsyncKMLBuilder::descriptionNodeForLocation(const CustomLocation& location,
                                                       const QString& eventPlacemarkName) {
  return XmlNode(QByteArrayLiteral("description"),
                 (descriptionBody() + descriptionFooter(location, eventPlacemarkName)).toUtf8());
}

QByteArray DCFAsyncKMLBuilder::bannerJpeg() {
  // Our own artwork (a road under a dusk sky with a position pin), drawn
  // once: encoding it at every export made KML need the GUI library.
  static const QByteArray jpeg = [] {
    QFile file(QStringLiteral(":/kml/banner.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();
  return jpeg;
}

QString DCFAsyncKMLBuilder::descriptionBody() {
  static const QString body = QStringLiteral("<![CDATA[<img src='data:image/jpeg;base64,") +
                              QString::fromLatin1(bannerJpeg().toBase64()) + QStringLiteral("' /><br>>");
  return body;
}

QString DCFAsyncKMLBuilder::descriptionFooter(const CustomLocation& location, const QString& eventPlacemarkName) {
  QString footer =
      localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "DATE/TIME: %1<br>")).arg(kmlEventDescriptionString(location.timestamp));
  footer += localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "EVENT: %1<br>")).arg(eventPlacemarkName);
  footer += localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "LAT.: %1<br>LONG.: %2<br>"))
                .arg(QString::fromLatin1(fixed(location.latitude, 6)), QString::fromLatin1(fixed(location.longitude, 6)));
  float speed = location.speed == -1.0 ? CustomLocation::speedForCurrentLocale(location.correctedSpeed)
                                       : location.speedForCurrentLocale();
  if (speed < 1.0f) {
    speed = 0.0f;
  }
  const QString speedText = QString::fromLatin1(fixed(speed, 1));
  footer += CustomLocation::shouldUseMilePerHour()
                ? localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "SPD: %1 mph<br>")).arg(speedText)
                : localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "SPD: %1 km/h<br>")).arg(speedText);
  const float direction = static_cast<float>(location.course == -1.0 ? location.correctedDirection : location.course);
  footer += localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "DIRECTION: %1 °")).arg(QString::fromLatin1(fixed(direction, 1)));
  return footer;
}

std::optional<XmlNode> DCFAsyncKMLBuilder::styleMapForTracksNodeWithIndex(unsigned index, unsigned type) {
  QRgb color = 0;
  QByteArray styleName;
  QByteArray prefix;
  if (type == 0 && index < kTrackStyleCount) {
    color = ColorPalette::kRouteArgb.at(index);
    styleName = "LineStyle";
    prefix = "tracks";
  } else if (type == 1 && index < kEventStyleCount) {
    color = ColorPalette::kIconArgb.at(index);
    styleName = "IconStyle";
    prefix = "Events";
  } else {
    return std::nullopt;
  }
  const QByteArray colorText = ColorPalette::colorString(color).toLatin1();
  XmlNode styleMap("StyleMap");
  styleMap.addAttribute(QByteArrayLiteral("id"), prefix + QByteArray::number(index));
  for (const auto& [key, width] : {std::pair<QByteArray, QByteArray>{"normal", "6"}, {"highlight", "8"}}) {
    XmlNode& pair = styleMap.addChild(XmlNode(QByteArrayLiteral("Pair")));
    pair.addChild(XmlNode(QByteArrayLiteral("key"), key));
    XmlNode& style = pair.addChild(XmlNode(QByteArrayLiteral("Style")));
    XmlNode& lineOrIcon = style.addChild(XmlNode(styleName));
    lineOrIcon.addChild(XmlNode(QByteArrayLiteral("color"), colorText));
    lineOrIcon.addChild(XmlNode(QByteArrayLiteral("width"), width));
  }
  return styleMap;
}

QByteArray DCFAsyncKMLBuilder::createXMLString(std::vector<XmlNode> nodes) {
  return XmlNode::prettyPrintedDocument(createXMLDocument(std::move(nodes)));
}

XmlNode DCFAsyncKMLBuilder::createXMLDocument(std::vector<XmlNode> nodes) {
  XmlNode kml("kml");
  kml.addAttribute(QByteArrayLiteral("xmlns"), kKmlNamespace);
  kml.addAttribute("xmlns:kml", kKmlNamespace);
  XmlNode& document = kml.addChild(XmlNode(QByteArrayLiteral("Document")));
  document.addChild(
      XmlNode(QByteArrayLiteral("name"), localized(QT_TRANSLATE_NOOP("DCFAsyncKMLBuilder", "ROUTE")).toUtf8()));
  for (unsigned i = 0; i < kTrackStyleCount; ++i) {
    document.addChild(*styleMapForTracksNodeWithIndex(i, 0));
  }
  for (unsigned i = 0; i < kEventStyleCount; ++i) {
    document.addChild(*styleMapForTracksNodeWithIndex(i, 1));
  }
  for (XmlNode& node : nodes) {
    document.children.push_back(std::move(node));
  }
  return kml;
}

bool DCFAsyncKMLBuilder::isKmzPath(const QString& targetFilePath) {
  return QFileInfo(targetFilePath).suffix().compare(QLatin1String("kmz"), Qt::CaseInsensitive) == 0;
}

bool DCFAsyncKMLBuilder::writeDocument(const QByteArray& document, const QString& targetFilePath, QString* errorText) {
  if (isKmzPath(targetFilePath)) {
    return KmzWriter::writeEntry(targetFilePath, document, errorText);
  }
  // A regenerable export: no wait for the disk (the rename keeps it whole).
  return writeFileAtomically(targetFilePath, document, errorText, false);
}

}  // namespace dashcard
