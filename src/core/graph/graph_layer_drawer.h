#pragma once

#include "core/graph/layer_drawer.h"
#include "core/telemetry/driving_event.h"
#include "core/telemetry/gop_data.h"

#include <QList>

#include <optional>

namespace dashcard {

// The chart of one recording: axes with ticks, the speed over the groups,
// the drive-support marks (dashed lines), the driving events (a band in the
// kind's colour with a flag on top) and the three G-sensor curves over all
// samples.
// The y axis points up from the bottom margin, as on a chart.
class GraphLayerDrawer : public LayerDrawer {
 public:
  void drawContents(QPainter* painter, const QRectF& rect) const override;

  // None draws the axes only.
  const std::optional<QList<GOPData>>& currentGOPs() const { return currentGOPs_; }
  void setCurrentGOPs(std::optional<QList<GOPData>> gops) { currentGOPs_ = std::move(gops); }
  // Ends of the speed axis (in the user's unit) and of the G axis; 0 reads as 1.
  double maxSpeedValue() const { return maxSpeedValue_; }
  void setMaxSpeedValue(double value) { maxSpeedValue_ = value; }
  double maxMotionABSValue() const { return maxMotionABSValue_; }
  void setMaxMotionABSValue(double value) { maxMotionABSValue_ = value; }
  // A driving event over a part of the recording, as fractions 0..1 of it.
  struct EventMark {
    double from = 0.0;
    double to = 0.0;
    DrivingEvent::Kind kind = DrivingEvent::Kind::Braking;
  };
  const QList<EventMark>& eventMarks() const { return eventMarks_; }
  void setEventMarks(QList<EventMark> marks) { eventMarks_ = std::move(marks); }
  // Margins in points.
  double offsetX() const { return offsetX_; }
  void setOffsetX(double value) { offsetX_ = value; }
  double offsetY() const { return offsetY_; }
  void setOffsetY(double value) { offsetY_ = value; }
  // Smooth curves on screen; tests turn it off to read exact colours.
  bool antialiased() const { return antialiased_; }
  void setAntialiased(bool value) { antialiased_ = value; }

 private:
  void drawEventMarks(QPainter* painter, double left, double right, double bottom, double top) const;

  std::optional<QList<GOPData>> currentGOPs_;
  QList<EventMark> eventMarks_;
  double maxSpeedValue_ = 0.0;
  double maxMotionABSValue_ = 0.0;
  double offsetX_ = 0.0;
  double offsetY_ = 0.0;
  bool antialiased_ = true;
};

}  // namespace dashcard
