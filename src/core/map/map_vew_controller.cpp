#include "core/map/map_vew_controller.h"

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/recording_catalogue.h"
#include "core/common/const_class.h"
#include "core/map/web_mercator.h"
#include "core/telemetry/nmea_data.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace dashcard {

namespace {
constexpr double kFocusPadding = 50.0;
constexpr auto kPositionInterval = std::chrono::milliseconds(500);
// A recording chosen on a line starts within this time, or the seek is dropped.
constexpr auto kPendingSeekLifetime = std::chrono::seconds(5);

bool isNormal(const CustomPointAnnotation& annotation) {
  const auto info = annotation.info.lock();
  return info && info->eventName() == ConstClass::DCF_EVENTNAME_NORMAL;
}
}  // namespace

MapVewController::MapVewController(QObject* parent)
    : QObject(parent), clock_([] { return std::chrono::steady_clock::now(); }) {
  clearMapView();
}

void MapVewController::reloadDCFInfo(const DCFInfoList& infos) {
  clearMapView();
  DCFInfosData_ = infos;
  userLocationVisibility_ = true;
  overlaysChanged();
}

void MapVewController::clearMapView() {
  mapOverlays_.clear();
  mapAnnotations_.clear();
  strokeColors_.clear();
  routeOverlays_.clear();
  fileAnnotations_.clear();
  eventMarks_.clear();
  selectedEvent_ = -1;
  userLocation_.reset();
  userLocationOnMap_ = false;
  selected_.reset();
  annotationIsSelected_ = false;
  didFocus_ = false;
  overlaysChanged();
}

void MapVewController::overlaysChanged() {
  ++overlayRevision_;
  ++linesRevision_;
  emit mapChanged();
}

void MapVewController::setColorRouteBySpeed(bool on) {
  if (on == colorRouteBySpeed_) return;
  colorRouteBySpeed_ = on;
  ++overlayRevision_;
  emit mapChanged();
}

double MapVewController::speedScaleMax() const {
  if (scaleRevision_ == linesRevision_) return scaleMax_;
  std::vector<float> speeds;
  for (const auto& line : mapOverlays_) {
    for (const float speed : line->speeds()) {
      if (speed >= 0.0F && std::isfinite(speed)) speeds.push_back(speed);
    }
  }
  scaleMax_ = 0.0;
  if (!speeds.empty()) {
    const auto at = speeds.begin() + std::ptrdiff_t(double(speeds.size() - 1) * 0.99);
    std::nth_element(speeds.begin(), at, speeds.end());
    scaleMax_ = *at;
  }
  scaleRevision_ = linesRevision_;
  return scaleMax_;
}

bool MapVewController::annotationHasPosition(const CustomPointAnnotation& annotation) {
  if (!WebMercator::isValidCoordinate(annotation.coordinate)) return false;
  if (annotation.isUserLocation) return true;
  const auto info = annotation.info.lock();
  if (!info) return annotation.coordinate != MapCoordinate{};
  const auto nmea = info->nmea();
  return !nmea->isParsing() && !nmea->varidLocations().empty();
}

void MapVewController::addToMap(const std::shared_ptr<CustomPointAnnotation>& annotation) {
  if (!mapAnnotations_.contains(annotation) && annotationHasPosition(*annotation)) mapAnnotations_.append(annotation);
}

void MapVewController::removeFromMap(const std::shared_ptr<CustomPointAnnotation>& annotation) {
  mapAnnotations_.removeAll(annotation);
  if (selected_ == annotation) deselectAnnotation();
}

void MapVewController::observe(const RecordingCatalogue* catalogue) {
  connect(catalogue, &RecordingCatalogue::catalogueDidChange, this,
          [this, catalogue] { reloadDCFInfo(catalogue->mediaTree()); });
  connect(catalogue, &RecordingCatalogue::pictureWithoutDCFChosen, this,
          [this](const PictureInfoPtr& picture) { upDateWithCenterLocation(picture->location()); });
  connect(catalogue, &RecordingCatalogue::recordingDidParse, this, [this](const DCFInfoPtr& info) {
    const auto& nmea = info->nmea();
    if (!nmea->isParsing() && !nmea->varidLocations().empty()) focusMapOverlays(info->routeLine(), false);
    addAnnotations(info->annotation());
    addRouteOverlayLines(info->routeLine());
  });
  connect(catalogue, &RecordingCatalogue::walkDidFinish, this, [this, catalogue] {
    for (const DCFInfoPtr& info : catalogue->mediaTree()) upDateOverlayLines(info->routeLine());
  });
}

void MapVewController::addAnnotations(const AnnotationList& annotations) {
  for (const auto& annotation : annotations) {
    if (!annotation || fileAnnotations_.contains(annotation)) continue;
    fileAnnotations_.append(annotation);
    if (isNormal(*annotation) ? fileVisibility_ : eventVisibility_) addToMap(annotation);
  }
  overlaysChanged();
}

void MapVewController::addRouteOverlayLines(const PolylineList& lines) {
  for (const auto& line : lines) {
    if (!line || mapOverlays_.contains(line)) continue;
    mapOverlays_.append(line);
    if (!routeOverlays_.contains(line)) routeOverlays_.append(line);
    // A new renderer: the line's own colour, unless routes are hidden.
    strokeColors_.insert(line.get(), routeVisibility_ ? line->lineColor() : QColor(Qt::transparent));
  }
  overlaysChanged();
}

void MapVewController::upDateOverlayLines(const PolylineList& lines) {
  for (const auto& line : lines) {
    mapOverlays_.removeAll(line);
    strokeColors_.remove(line.get());
  }
  addRouteOverlayLines(lines);
}

void MapVewController::focusMapOverlays(const PolylineList& lines, bool animated) {
  if (lines.isEmpty() || didFocus_ || !lines.first()) return;
  const MapRect rect = WebMercator::boundingRect(lines.first()->coordinates());
  if (rect.isNull()) return;
  didFocus_ = true;
  focusMapRect(rect, animated);
}

void MapVewController::focusMapRect(const MapRect& rect, bool) {
  viewport_.setVisibleMapRect(rect, kFocusPadding);
  emit mapChanged();
}

MapRect MapVewController::totalMapRect(const PolylineList& overlays) {
  MapRect total = MapRect::null();
  for (const auto& overlay : overlays) {
    if (overlay) total = total.united(WebMercator::boundingRect(overlay->coordinates()));
  }
  return total;
}

void MapVewController::updateDCF(const DCFInfoPtr& info, const TelemetryMoment& moment) {
  if (!info) return;
  const auto now = clock_();
  // Before the fix check: an event's recording may have no fix at all.
  if (const auto pending = pendingSeekInfo_.lock()) {
    if (now > pendingSeekDeadline_) {
      pendingSeekInfo_.reset();  // the user went elsewhere meanwhile
    } else if (pending == info && moment.duration > 0.0) {
      // A seek made while the player still opens the clip can be lost:
      // asked again every half second until the position is there.
      if (std::abs(moment.seconds - double(pendingSeek_) * moment.duration) < 1.0) {
        pendingSeekInfo_.reset();
      } else if (!pendingSeekIssued_ || now - *pendingSeekIssued_ >= kPositionInterval) {
        pendingSeekIssued_ = now;
        emit positionChosen(info, pendingSeek_);
        return;
      }
    }
  }
  const auto nmea = info->nmea();
  if (nmea->isParsing() || nmea->varidLocations().empty()) return;
  if (lastUpdate_ && now - *lastUpdate_ < kPositionInterval) return;
  lastUpdate_ = now;
  if (moment.duration == 0.0 || nmea->GOPs().empty()) return;
  updateUserLocation(moment.groupLocation, moment.GPSEnable);
}

void MapVewController::upDateWithCenterLocation(const CustomLocation& location) {
  updateUserLocation(location, true);
}

void MapVewController::updateUserLocation(const std::optional<CustomLocation>& location, bool GPSEnable) {
  if (!location) return;
  const MapCoordinate coordinate{location->latitude, location->longitude};
  if (!WebMercator::isValidCoordinate(coordinate)) return;
  if (userLocation_ && userLocation_->coordinate == coordinate && userLocation_->GPSEnable == GPSEnable) return;
  if (traseUserLocation() && !annotationIsSelected_) viewport_.centerOn(coordinate);
  auto marker = std::make_shared<CustomPointAnnotation>();
  marker->coordinate = coordinate;
  marker->isUserLocation = true;
  marker->speed = location->speed >= 0.0 ? static_cast<float>(location->speed)
                                         : (userLocation_ ? userLocation_->speed : 0.0F);
  marker->direction = location->course >= 0.0 ? location->course : (userLocation_ ? userLocation_->direction : 0.0);
  marker->GPSEnable = GPSEnable;
  userLocation_ = marker;
  userLocationOnMap_ = userLocationVisibility_;
  emit mapChanged();
}

void MapVewController::traceUserIsChanged() {
  const MapRect visible = viewport_.visibleMapRect();
  const MapRect routes = totalMapRect(mapOverlays_);
  const bool centerOnCar = visible.contains(routes)
                               ? !(visible.width > routes.width || visible.height > routes.height)
                               : visible.intersects(routes);
  if (centerOnCar) {
    if (userLocation_) viewport_.centerOn(userLocation_->coordinate);
    emit mapChanged();
  } else {
    focusMapRect(routes, true);
  }
}

void MapVewController::routeVisibilityIsChanged() {
  routeVisibility_ = !routeVisibility_;
  for (const auto& line : routeOverlays_) {
    if (strokeColors_.contains(line.get())) {
      strokeColors_.insert(line.get(), routeVisibility_ ? line->lineColor() : QColor(Qt::transparent));
    }
  }
  overlaysChanged();
}

void MapVewController::setKindVisible(bool normal, bool visible) {
  for (const auto& annotation : fileAnnotations_) {
    if (isNormal(*annotation) != normal) continue;
    if (visible) {
      addToMap(annotation);
    } else {
      removeFromMap(annotation);
    }
  }
  overlaysChanged();
}

void MapVewController::fileVisibilityIsChanged() {
  fileVisibility_ = !fileVisibility_;
  setKindVisible(true, fileVisibility_);
}

void MapVewController::eventVisibilityIsChanged() {
  eventVisibility_ = !eventVisibility_;
  setKindVisible(false, eventVisibility_);
}

void MapVewController::userLocationVisibilityIsChanged() {
  userLocationVisibility_ = !userLocationVisibility_;
  userLocationOnMap_ = userLocationVisibility_ && userLocation_;
  emit mapChanged();
}

bool MapVewController::validateMenuItem(MenuItem) const { return !DCFInfosData_.isEmpty(); }

bool MapVewController::menuItemState(MenuItem item) const {
  switch (item) {
    case kRouteItem: return routeVisibility_;
    case kFileItem: return fileVisibility_;
    case kEventItem: return eventVisibility_;
    case kUserLocationItem: return userLocationVisibility_;
    case kTraceItem: break;
  }
  return false;
}

void MapVewController::triggerMenuItem(MenuItem item) {
  if (!validateMenuItem(item)) return;
  switch (item) {
    case kTraceItem: traceUserIsChanged(); break;
    case kRouteItem: routeVisibilityIsChanged(); break;
    case kFileItem: fileVisibilityIsChanged(); break;
    case kEventItem: eventVisibilityIsChanged(); break;
    case kUserLocationItem: userLocationVisibilityIsChanged(); break;
  }
}

void MapVewController::selectAnnotation(const std::shared_ptr<CustomPointAnnotation>& annotation) {
  if (!annotation || !mapAnnotations_.contains(annotation)) return;
  selected_ = annotation;
  annotationIsSelected_ = true;
  overlaysChanged();
}

void MapVewController::deselectAnnotation() {
  selected_.reset();
  annotationIsSelected_ = false;
  overlaysChanged();
}

void MapVewController::annotationSelected() {
  if (!selected_) return;
  const auto annotation = selected_;
  const auto info = annotation->info.lock();
  if (info) emit recordingChosen(info);
  deselectAnnotation();
  viewport_.centerOn(annotation->coordinate);
  emit mapChanged();
}

bool MapVewController::selectRouteAt(const QPointF& screen, double tolerance) {
  std::shared_ptr<CustomMapPolyline> best;
  qsizetype bestIndex = -1;
  double bestDistance = tolerance * tolerance;
  for (const auto& line : mapOverlays_) {
    if (strokeColors_.value(line.get()).alpha() == 0) continue;
    const auto& points = line->coordinates();
    QPointF a = viewport_.toScreen(WebMercator::project(points.value(0)));
    for (qsizetype i = 0; i < points.size(); ++i) {
      // The nearest place on the segment from point i to point i + 1.
      const QPointF b = i + 1 < points.size() ? viewport_.toScreen(WebMercator::project(points[i + 1])) : a;
      const QPointF ab = b - a;
      const double length = QPointF::dotProduct(ab, ab);
      const double t = length > 0.0 ? std::clamp(QPointF::dotProduct(screen - a, ab) / length, 0.0, 1.0) : 0.0;
      const QPointF d = a + t * ab - screen;
      const double distance = QPointF::dotProduct(d, d);
      if (distance <= bestDistance) {
        bestDistance = distance;
        best = line;
        bestIndex = t < 0.5 ? i : i + 1;
      }
      a = b;
    }
  }
  if (!best) return false;
  DCFInfoPtr info;
  for (const DCFInfoPtr& candidate : DCFInfosData_) {
    if (candidate->routeLine().contains(best)) {
      info = candidate;
      break;
    }
  }
  if (!info) return false;
  // The group of the nearest fix, so the tick puts the marker back on it.
  const MapCoordinate fix = best->coordinates().at(bestIndex);
  const GOPList groups = info->nmea()->GOPs();
  // A line's last point may be the next clip's first fix: then by position.
  float fraction = static_cast<float>(bestIndex) / static_cast<float>(best->pointCount());
  for (std::size_t k = 0; k < groups.size(); ++k) {
    const CustomLocation& l = groups[k].location();
    if (l.latitude == fix.latitude && l.longitude == fix.longitude) {
      fraction = static_cast<float>((static_cast<double>(k) + 0.5) / static_cast<double>(groups.size()));
      break;
    }
  }
  chooseRecordingPosition(info, fraction);
  return true;
}

void MapVewController::chooseRecordingPosition(const DCFInfoPtr& info, float fraction) {
  if (!info) return;
  // The seek is also kept when the recording plays already: one made while
  // the player opens the clip is lost, and the next ticks repeat it.
  pendingSeekInfo_ = info;
  pendingSeek_ = fraction;
  pendingSeekDeadline_ = clock_() + kPendingSeekLifetime;
  pendingSeekIssued_.reset();
  emit positionChosen(info, fraction);
}

QList<MapVewController::EventMark> MapVewController::eventMarksOf(
    const QList<TripEvent>& events, const std::function<QString(const TripEvent&)>& timeText) {
  QList<EventMark> marks;
  for (const TripEvent& event : events) {
    if (!event.recording) continue;
    const GOPList groups = event.recording->nmea()->GOPs();
    if (groups.empty()) continue;
    // One group a second: the telemetry's one rule.
    const auto group = std::min<std::size_t>(static_cast<std::size_t>(std::max(0.0, event.event.seconds)), groups.size() - 1);
    const CustomLocation& location = groups[group].location();
    const MapCoordinate coordinate{location.latitude, location.longitude};
    if (!groups[group].isValid() || !WebMercator::isValidCoordinate(coordinate) || coordinate == MapCoordinate{}) continue;
    EventMark mark;
    mark.recording = event.recording;
    mark.event = event.event;
    mark.coordinate = coordinate;
    mark.fraction = static_cast<float>(std::clamp(event.event.seconds / static_cast<double>(groups.size()), 0.0, 1.0));
    mark.timeText = timeText ? timeText(event) : QString();
    marks.append(mark);
  }
  return marks;
}

void MapVewController::setEventMarks(QList<EventMark> marks) {
  eventMarks_ = std::move(marks);
  selectedEvent_ = -1;
  ++overlayRevision_;
  emit mapChanged();
}

int MapVewController::eventMarkAt(const QPointF& screen, double tolerance) const {
  if (!eventMarksVisible()) return -1;
  int best = -1;
  double bestDistance = tolerance * tolerance;
  for (int i = 0; i < eventMarks_.size(); ++i) {
    const QPointF d = viewport_.toScreen(WebMercator::project(eventMarks_[i].coordinate)) - screen;
    const double distance = QPointF::dotProduct(d, d);
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

void MapVewController::chooseEventMark(int index) {
  if (index < 0 || index >= eventMarks_.size()) return;
  selectedEvent_ = index;
  ++overlayRevision_;
  emit mapChanged();
  const EventMark& mark = eventMarks_[index];
  if (const DCFInfoPtr info = mark.recording.lock()) chooseRecordingPosition(info, mark.fraction);
}

void MapVewController::clearEventMarkSelection() {
  if (selectedEvent_ < 0) return;
  selectedEvent_ = -1;
  ++overlayRevision_;
  emit mapChanged();
}

QString MapVewController::calloutText(const EventMark& mark) {
  QStringList parts{DrivingEvent::kindTitle(mark.event.kind),
                    QStringLiteral("%1 g").arg(QLocale().toString(mark.event.peakG, 'f', 2))};
  if (!mark.timeText.isEmpty()) parts.append(mark.timeText);
  return parts.join(QStringLiteral(" · "));
}

}  // namespace dashcard
