#pragma once

#include "core/playback/panes.h"

#include <QWidget>

namespace dashcard {

// Stands in for the route map until it exists: takes every call and draws
// only the pane's background.
class PlaceholderMapPane : public QWidget, public MapPane {
  Q_OBJECT
 public:
  explicit PlaceholderMapPane(QWidget* parent = nullptr);

  void reloadDCFInfo(const DCFInfoList& infos) override;
  void upDateWithCenterLocation(const CustomLocation&) override {}
  void focusMapOverlays(const PolylineList&, bool) override {}
  void addAnnotations(const AnnotationList&) override {}
  void addRouteOverlayLines(const PolylineList&) override {}
  void upDateOverlayLines(const PolylineList&) override {}
  void updateDCF(const DCFInfoPtr& info, double currentDCFTime, double totalDCFTime) override;
  std::shared_ptr<CustomPointAnnotation> userLocation() const override { return userLocation_; }

  int recordingCount() const { return int(infos_.size()); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DCFInfoList infos_;
  std::shared_ptr<CustomPointAnnotation> userLocation_;
};

}  // namespace dashcard
