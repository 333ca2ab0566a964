#pragma once

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/dcf_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/telemetry_moment.h"

#include <QList>

#include <memory>

namespace dashcard {

// What the map offers to the window's playback (MapVewController; tests
// give a recording fake). Main thread only. The map's own choices go the
// other way as MapVewController's signals.
class MapPane {
 public:
  using PolylineList = QList<std::shared_ptr<CustomMapPolyline>>;
  using AnnotationList = QList<std::shared_ptr<CustomPointAnnotation>>;

  virtual ~MapPane() = default;
  virtual void reloadDCFInfo(const DCFInfoList& infos) = 0;
  virtual void upDateWithCenterLocation(const CustomLocation& location) = 0;
  virtual void focusMapOverlays(const PolylineList& lines, bool animated) = 0;
  virtual void addAnnotations(const AnnotationList& annotations) = 0;
  virtual void addRouteOverlayLines(const PolylineList& lines) = 0;
  // Removes the lines and adds them again so they are drawn anew.
  virtual void upDateOverlayLines(const PolylineList& lines) = 0;
  // The playback moment of `info`: moves the current-position marker.
  virtual void updateDCF(const DCFInfoPtr& info, const TelemetryMoment& moment) = 0;
};

}  // namespace dashcard
