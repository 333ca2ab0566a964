#pragma once

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/dcf_info.h"
#include "core/catalogue/trip.h"
#include "core/map/map_viewport.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/telemetry_moment.h"

#include <QColor>
#include <QHash>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace dashcard {

class RecordingCatalogue;

// The route map's logic, without a window: the lines and markers on the
// map, the view rectangle, the current-position marker driven by playback,
// the menu's trace and visibility items and the selection of a recording
// from a marker or a line, announced as signals for the window's playback
// to follow. It observes the card's catalogue; the window hands it each
// playback moment. The map widget draws what it holds and forwards the
// pointer to it. Main thread only.
class MapVewController : public QObject {
  Q_OBJECT

 public:
  enum MenuItem { kTraceItem, kRouteItem, kFileItem, kEventItem, kUserLocationItem };
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  using PolylineList = QList<std::shared_ptr<CustomMapPolyline>>;
  using AnnotationList = QList<std::shared_ptr<CustomPointAnnotation>>;

  explicit MapVewController(QObject* parent = nullptr);

  // The time source of the playback throttle (a steady clock unless a test sets one).
  void setClock(Clock clock) { clock_ = std::move(clock); }

  // Follows `catalogue`: its recordings, a picture shown alone, and the
  // background walk's routes and markers.
  void observe(const RecordingCatalogue* catalogue);

  void reloadDCFInfo(const DCFInfoList& infos);
  void upDateWithCenterLocation(const CustomLocation& location);
  void focusMapOverlays(const PolylineList& lines, bool animated);
  void addAnnotations(const AnnotationList& annotations);
  void addRouteOverlayLines(const PolylineList& lines);
  // Removes the lines and adds them again so they are drawn anew.
  void upDateOverlayLines(const PolylineList& lines);
  // The playback moment of `info`: moves the current-position marker.
  void updateDCF(const DCFInfoPtr& info, const TelemetryMoment& moment);
  // The same in the order of the playback clock's signal.
  void showMoment(const TelemetryMoment& moment, const DCFInfoPtr& info) { updateDCF(info, moment); }
  // The current-position marker, null when none.
  std::shared_ptr<CustomPointAnnotation> userLocation() const { return userLocation_; }

  void clearMapView();
  void updateUserLocation(const std::optional<CustomLocation>& location, bool GPSEnable);
  // Follow the car only while the pointer is not over the map.
  bool traseUserLocation() const { return !mouseIsOver_; }
  static MapRect totalMapRect(const PolylineList& overlays);
  void focusMapRect(const MapRect& rect, bool animated);

  // --- Menu ---
  void traceUserIsChanged();
  void routeVisibilityIsChanged();
  void fileVisibilityIsChanged();
  void eventVisibilityIsChanged();
  void userLocationVisibilityIsChanged();
  bool validateMenuItem(MenuItem item) const;
  // Route lines in segments coloured by speed (viridis from 0 to
  // speedScaleMax()) instead of their own colour; off by default.
  bool colorRouteBySpeed() const { return colorRouteBySpeed_; }
  void setColorRouteBySpeed(bool on);
  // The top of the speed scale (m/s): the 99th percentile of the speeds on
  // the lines, so one spike does not wash the scale out; 0 without speeds.
  double speedScaleMax() const;
  // On/off state of a visibility item (the trace item has none).
  bool menuItemState(MenuItem item) const;
  void triggerMenuItem(MenuItem item);

  // --- Selection ---
  void selectAnnotation(const std::shared_ptr<CustomPointAnnotation>& annotation);
  void deselectAnnotation();
  std::shared_ptr<CustomPointAnnotation> selectedAnnotation() const { return selected_; }
  bool annotationIsSelected() const { return annotationIsSelected_; }
  // The callout's button: makes the selected marker's recording current.
  void annotationSelected();
  // Chooses the recording whose line passes within `tolerance` pixels of
  // `screen` at the fix nearest to it (positionChosen). False when no line
  // is that close.
  bool selectRouteAt(const QPointF& screen, double tolerance);

  // --- Driving events ---
  // One event placed on its recording's line.
  struct EventMark {
    std::weak_ptr<DCFInfo> recording;
    DrivingEvent event;
    MapCoordinate coordinate;
    // Where in the recording (0..1), as the player seeks.
    float fraction = 0.0F;
    // The time the callout shows.
    QString timeText;
  };
  // The events placed at the fix of the second they start in; those whose
  // recording has no valid fix there are left out. `timeText` makes each
  // one's time for the callout.
  static QList<EventMark> eventMarksOf(const QList<TripEvent>& events,
                                       const std::function<QString(const TripEvent&)>& timeText);
  void setEventMarks(QList<EventMark> marks);
  const QList<EventMark>& eventMarks() const { return eventMarks_; }
  // Events are shown with the routes.
  bool eventMarksVisible() const { return routeVisibility_; }
  // The event whose icon is within `tolerance` pixels of `screen`, nearest
  // first; -1 when none.
  int eventMarkAt(const QPointF& screen, double tolerance) const;
  // Shows the event's callout and plays its recording from there.
  void chooseEventMark(int index);
  int selectedEventMark() const { return selectedEvent_; }
  void clearEventMarkSelection();
  // "Hard braking · 0.52 g · 14:03:22".
  static QString calloutText(const EventMark& mark);
  // Makes `info` current and puts it at `fraction` (0..1), repeated at the
  // first ticks of that recording as a click on its line does.
  void chooseRecordingPosition(const DCFInfoPtr& info, float fraction);

  // --- What the widget draws ---
  MapViewport& viewport() { return viewport_; }
  const MapViewport& viewport() const { return viewport_; }
  // Tells the controller the view changed underneath (drag, wheel, resize).
  void viewportDidChange() { emit mapChanged(); }
  const PolylineList& mapOverlays() const { return mapOverlays_; }
  const AnnotationList& mapAnnotations() const { return mapAnnotations_; }
  bool userLocationIsOnMap() const { return userLocationOnMap_; }
  // The stroke colour of a line's renderer (clear while the route item is off).
  QColor strokeColor(const CustomMapPolyline* line) const { return strokeColors_.value(line); }
  const AnnotationList& fileAnnotations() const { return fileAnnotations_; }
  const PolylineList& routeOverlays() const { return routeOverlays_; }
  const DCFInfoList& DCFInfosData() const { return DCFInfosData_; }
  bool didFocus() const { return didFocus_; }
  // Grows whenever the lines, their colours, the recording markers or the
  // selection change (not for the view or the car marker).
  quint64 overlayRevision() const { return overlayRevision_; }

  // CustomView's state: the pointer is over the map.
  bool mouseIsOver() const { return mouseIsOver_; }
  void setMouseIsOver(bool over) { mouseIsOver_ = over; }

  // A recording marker is shown only for a recording with a fix: the parser
  // gives one without a fix latitude 0, longitude 0.
  static bool annotationHasPosition(const CustomPointAnnotation& annotation);

 signals:
  // Lines, markers or the view changed: redraw.
  void mapChanged();
  // A recording's marker was chosen: it becomes the current recording.
  void recordingChosen(const DCFInfoPtr& info);
  // A place on a recording's line was chosen, or asked for again while that
  // recording plays: `progress` (0..1) of that recording.
  void positionChosen(const DCFInfoPtr& info, float progress);

 private:
  void addToMap(const std::shared_ptr<CustomPointAnnotation>& annotation);
  void removeFromMap(const std::shared_ptr<CustomPointAnnotation>& annotation);
  void setKindVisible(bool normal, bool visible);
  void overlaysChanged();

  Clock clock_;
  MapViewport viewport_;
  DCFInfoList DCFInfosData_;
  AnnotationList fileAnnotations_;
  PolylineList routeOverlays_;
  AnnotationList mapAnnotations_;
  PolylineList mapOverlays_;
  QHash<const CustomMapPolyline*, QColor> strokeColors_;
  QList<EventMark> eventMarks_;
  int selectedEvent_ = -1;
  bool routeVisibility_ = true;
  bool fileVisibility_ = true;
  bool eventVisibility_ = true;
  bool userLocationVisibility_ = true;
  bool annotationIsSelected_ = false;
  std::shared_ptr<CustomPointAnnotation> selected_;
  std::optional<std::chrono::steady_clock::time_point> lastUpdate_;
  std::shared_ptr<CustomPointAnnotation> userLocation_;
  bool userLocationOnMap_ = false;
  bool didFocus_ = false;
  bool mouseIsOver_ = false;
  quint64 overlayRevision_ = 0;
  bool colorRouteBySpeed_ = false;
  // speedScaleMax() as of linesRevision_.
  quint64 linesRevision_ = 0;
  mutable quint64 scaleRevision_ = ~quint64(0);
  mutable double scaleMax_ = 0.0;
  // A seek asked for by a click on a line, made at the first tick of that recording.
  std::weak_ptr<DCFInfo> pendingSeekInfo_;
  float pendingSeek_ = 0.0F;
  std::chrono::steady_clock::time_point pendingSeekDeadline_;
  std::optional<std::chrono::steady_clock::time_point> pendingSeekIssued_;
};

}  // namespace dashcard
