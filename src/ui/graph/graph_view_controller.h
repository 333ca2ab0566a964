#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/trip.h"
#include "core/telemetry/telemetry_moment.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QMenu;
class QSlider;

namespace dashcard {

class GraphLayerDrawer;
class GraphView;
class IndicatorImageView;
class NeedleView;
class PlaybackClock;
class ProgressLayerDrawer;
class RecordingCatalogue;

// The bottom pane: the chart of the current recording with its cursor, the
// time slider, the speed and G readouts at the cursor, the axis labels and
// the speed gauge. It observes the card's catalogue and the window's
// playback clock; the slider and the chart ask for seeks (seekRequested)
// and hold the clock while the user drags.
class GraphViewController : public QWidget {
  Q_OBJECT
 public:
  explicit GraphViewController(QWidget* parent = nullptr);

  // Follows the current recording and the walk's parses of `catalogue` and
  // the moments of `clock`, which it holds while the user drags.
  void observe(const RecordingCatalogue* catalogue, PlaybackClock* clock);

  // A null recording clears the graph.
  void drawGraphWithCurrentDCFInfo(const DCFInfoPtr& info);
  // The tick's moment: cursor, slider, readouts, gauge and drive-support
  // icon. At a playback rate other than 1, at most ten updates a second pass.
  void updateProgress(const TelemetryMoment& moment);
  bool userControlIsActive() const { return userControlIsActive_; }
  // The telemetry of `info` was read: drawn again, cursor kept, when it is
  // the recording shown.
  void telemetryDidParse(const DCFInfoPtr& info);
  // The card's driving events; those of the recording shown are marked on
  // the chart and named in its tool tip.
  void setDrivingEvents(const QList<TripEvent>& events);
  // The tool tip's time of day is the camera's minus this (its offset from
  // GPS time, while the window shows corrected times).
  void setClockCorrection(double seconds) { clockCorrection_ = seconds; }
  // Redraws the dial, axis, labels and readouts in the speed unit now chosen.
  void speedUnitDidChange();

  // Milliseconds of a monotonic clock (tests give their own).
  void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

  float progress() const;
  const DCFInfoPtr& currentInfo() const { return currentInfo_; }
  // What the readouts show: the tick's moment, or the one under the user's pointer.
  const TelemetryMoment& moment() const { return moment_; }

  void updateLabelsWithMaxSpeed(double maxSpeed, double maxMotionABS);
  void setupAxisLabel();

  // The seeking gestures of the slider and the chart.
  void sliderDidChange();
  void beginUserControl(double progress);
  void continueUserControl(double progress);
  void endUserControl(double progress);
  // Control ends without its release, which may never come (the pane hid,
  // a menu took the pointer, a new recording came): every tick would
  // otherwise keep both players paused.
  void abandonUserControl();

  GraphView* graphView() const { return graphView_; }
  QSlider* timeSlider() const { return timeSlider_; }
  NeedleView* needleView() const { return needleView_; }
  IndicatorImageView* driveSupportIconImageView() const { return driveSupportIconImageView_; }
  QLabel* labelSpeed() const { return labelSpeed_; }
  QLabel* labelSpeedMeter() const { return labelSpeedMeter_; }
  QLabel* labelGX() const { return labelGX_; }
  QLabel* labelGY() const { return labelGY_; }
  QLabel* labelGZ() const { return labelGZ_; }
  const std::array<QLabel*, 5>& labelSpeeds() const { return labelSpeed0to4_; }
  const std::array<QLabel*, 5>& labelMotions() const { return labelMotion0to4_; }
  // The text shown by hovering the chart at a position.
  QString toolTipTextAt(double progress) const;

  // The span marked for a video export (the chart's menu, or a Shift-drag),
  // drawn where it crosses the recording shown. Either end may be unset; an
  // end that would leave the span empty unsets the other one.
  const QDateTime& exportStart() const { return exportStart_; }
  const QDateTime& exportEnd() const { return exportEnd_; }
  void setExportStart(const QDateTime& date);
  void setExportEnd(const QDateTime& date);
  void setExportSpan(const QDateTime& from, const QDateTime& to);
  void clearExportSpan();
  // The wall-clock date at a position of the recording shown; invalid when
  // none is shown or its length is not known yet.
  QDateTime dateAt(double progress) const;
  // The chart's menu for a right click at `progress`, validated.
  QMenu* makeContextMenu(double progress);

 signals:
  // The marked export span changed.
  void exportSpanChanged();
  // "Export Video…" was chosen in the chart's menu.
  void exportVideoRequested();
  // "Export Incident Report…" was chosen in the chart's menu.
  void exportReportRequested();
  // The slider or the chart asks both players to go to `progress` (0–1).
  void seekRequested(float progress);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void viewDidLoad();
  void setProgress(float progress);
  // Readouts, gauge, cursor and icon from moment_.
  void showReadouts();
  // The user put the cursor at `position`: the moment there.
  void showMomentAt(float position);
  void layoutAxisLabels();
  void layoutGauge();
  void updateDriveSupportIcon();
  void setLabelText(QLabel* label, const QString& text);
  double currentDuration() const;
  void updateExportSpanBand();
  void setUserControlIsActive(bool active);
  // The current recording's events as the chart's marks.
  void updateEventMarks();

  QPointer<PlaybackClock> playbackClock_;
  std::function<qint64()> clock_;
  DCFInfoPtr currentInfo_;
  // The cursor position; the slider shows it to the pixel.
  float progress_ = 0.0f;
  TelemetryMoment moment_;
  bool userControlIsActive_ = false;
  std::optional<qint64> lastUpdateProgress_;
  qsizetype lastIconGroup_ = -1;
  QList<TripEvent> drivingEvents_;
  double clockCorrection_ = 0.0;
  QDateTime exportStart_;
  QDateTime exportEnd_;
  // The recording length the band was last placed with.
  double bandDuration_ = -1.0;

  std::shared_ptr<GraphLayerDrawer> graphDrawer_;
  std::shared_ptr<ProgressLayerDrawer> progressDrawer_;
  GraphView* graphView_ = nullptr;
  QSlider* timeSlider_ = nullptr;
  QLabel* labelSpeed_ = nullptr;
  QLabel* labelSpeedMeter_ = nullptr;
  QLabel* labelGX_ = nullptr;
  QLabel* labelGY_ = nullptr;
  QLabel* labelGZ_ = nullptr;
  std::array<QLabel*, 5> labelSpeed0to4_{};
  std::array<QLabel*, 5> labelMotion0to4_{};
  QWidget* motionLabelColumn_ = nullptr;
  QWidget* speedLabelColumn_ = nullptr;
  QLabel* imageViewMotionAxisLabel_ = nullptr;
  QLabel* imageViewSpeedAxisLabel_ = nullptr;
  IndicatorImageView* driveSupportIconImageView_ = nullptr;
  QLabel* brandLogoImageView_ = nullptr;
  QLabel* meterImageView_ = nullptr;
  NeedleView* needleView_ = nullptr;
  QWidget* gauge_ = nullptr;
};

}  // namespace dashcard
