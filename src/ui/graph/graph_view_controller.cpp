#include "ui/graph/graph_view_controller.h"

#include "core/catalogue/recording_catalogue.h"
#include "core/common/color_palette.h"
#include "core/export/capture_view_utility.h"
#include "core/graph/graph_layer_drawer.h"
#include "core/graph/graph_samples.h"
#include "core/graph/graph_scale.h"
#include "core/graph/progress_layer_drawer.h"
#include "core/playback/playback_clock.h"
#include "core/telemetry/nmea_data.h"
#include "ui/graph/graph_view.h"
#include "ui/graph/needle_view.h"
#include "ui/telemetry/image_assets.h"
#include "ui/telemetry/indicator_image_view.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {

constexpr int kSliderSteps = 100000;
constexpr double kOffsetX = 8.0;
constexpr double kOffsetY = 1.0;
// At rates other than 1 the cursor moves at most ten times a second.
constexpr qint64 kThrottleMs = 100;
constexpr double kDriveSupportIconSeconds = 3.0;
constexpr int kAxisTitleWidth = 14;
constexpr int kIconSide = 24;

qint64 monotonicMs() {
  static const QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

QLabel* makeLabel(QWidget* parent, const QColor& color, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  return label;
}

// Readouts change every tick: a fixed size keeps each change from laying the pane out again.
void fixWidthFor(QLabel* label, const QString& widest) {
  const QFontMetrics metrics(label->font());
  label->setFixedSize(metrics.horizontalAdvance(widest) + 6, metrics.height() + 2);
}

QString clockText(double seconds) {
  if (!(seconds >= 0.0)) seconds = 0.0;
  const auto tenths = static_cast<long long>(seconds * 10.0);
  return QStringLiteral("%1:%2.%3")
      .arg(tenths / 600)
      .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
      .arg(tenths % 10);
}

}  // namespace

GraphViewController::GraphViewController(QWidget* parent) : QWidget(parent), clock_(monotonicMs) {
  setObjectName(QStringLiteral("GraphPane"));
  // It receives the playback keys of the window.
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(tr("Speed and G-sensor graph"));
  setMinimumSize(320, 150);
  viewDidLoad();
}

void GraphViewController::viewDidLoad() {
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ColorPalette::graphBackGroundColor());
  setPalette(palette);

  labelSpeed_ = makeLabel(this, ColorPalette::graphSpeedColor(), tr("Speed:---"));
  labelSpeedMeter_ = makeLabel(this, Qt::white, tr("---"));
  labelGX_ = makeLabel(this, ColorPalette::graphGXColor(), tr("GX:0.000000"));
  labelGY_ = makeLabel(this, ColorPalette::graphGYColor(), tr("GY:0.000000"));
  labelGZ_ = makeLabel(this, ColorPalette::graphGZColor(), tr("GZ:0.000000"));
  fixWidthFor(labelSpeed_, QStringLiteral("Speed:000.0"));
  for (QLabel* label : {labelGX_, labelGY_, labelGZ_}) fixWidthFor(label, QStringLiteral("GX:-00.000000"));
  QFont meterFont = labelSpeedMeter_->font();
  meterFont.setPointSizeF(meterFont.pointSizeF() * 1.6);
  meterFont.setBold(true);
  labelSpeedMeter_->setFont(meterFont);
  labelSpeedMeter_->setAlignment(Qt::AlignCenter);
  fixWidthFor(labelSpeedMeter_, QStringLiteral("0000"));

  motionLabelColumn_ = new QWidget(this);
  speedLabelColumn_ = new QWidget(this);
  QFont axisFont = font();
  axisFont.setPointSizeF(std::max(6.0, axisFont.pointSizeF() * 0.8));
  for (int i = 0; i < 5; ++i) {
    labelMotion0to4_[i] = makeLabel(motionLabelColumn_, ColorPalette::graphAxisColor());
    labelMotion0to4_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labelSpeed0to4_[i] = makeLabel(speedLabelColumn_, ColorPalette::graphAxisColor());
    labelSpeed0to4_[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    labelMotion0to4_[i]->setFont(axisFont);
    labelSpeed0to4_[i]->setFont(axisFont);
  }
  const QFontMetrics axisMetrics(axisFont);
  motionLabelColumn_->setFixedWidth(axisMetrics.horizontalAdvance(QStringLiteral("-4.5")) + 4);
  speedLabelColumn_->setFixedWidth(axisMetrics.horizontalAdvance(QStringLiteral("240")) + 4);
  imageViewMotionAxisLabel_ = new QLabel(this);
  imageViewSpeedAxisLabel_ = new QLabel(this);
  for (QLabel* label : {imageViewMotionAxisLabel_, imageViewSpeedAxisLabel_}) {
    label->setFixedWidth(kAxisTitleWidth);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  }

  graphView_ = new GraphView(this);
  graphView_->setMinimumSize(120, 60);
  graphView_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  progressDrawer_ = std::make_shared<ProgressLayerDrawer>();
  progressDrawer_->setOffsetX(kOffsetX);
  progressDrawer_->setOffsetY(kOffsetY);
  graphDrawer_ = std::make_shared<GraphLayerDrawer>();
  graphDrawer_->setOffsetX(kOffsetX);
  graphDrawer_->setOffsetY(kOffsetY);
  graphView_->setBackGroundImage(ImageAssets::imageNamed(QStringLiteral("background")).toImage());
  graphView_->setDrawers(graphDrawer_, progressDrawer_);
  graphView_->backGroundLayerInsetDX = kOffsetX;
  graphView_->installEventFilter(this);
  connect(graphView_, &GraphView::seekPressed, this, &GraphViewController::beginUserControl);
  connect(graphView_, &GraphView::seekMoved, this, &GraphViewController::continueUserControl);
  connect(graphView_, &GraphView::seekReleased, this, &GraphViewController::endUserControl);
  connect(graphView_, &GraphView::seekCancelled, this, &GraphViewController::abandonUserControl);
  connect(graphView_, &GraphView::spanMarked, this, [this](double from, double to) {
    if (to > from) setExportSpan(dateAt(from), dateAt(to));
  });
  graphView_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(graphView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu* menu = makeContextMenu(graphView_->progressAt(pos));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(graphView_->mapToGlobal(pos));
  });
  connect(graphView_, &GraphView::hovered, this, [this](double progress, const QPoint& at) {
    const QString text = toolTipTextAt(progress);
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(at, text, graphView_);
    }
  });

  timeSlider_ = new QSlider(Qt::Horizontal, this);
  timeSlider_->setObjectName(QStringLiteral("timeSlider"));
  timeSlider_->setRange(0, kSliderSteps);
  timeSlider_->setFocusPolicy(Qt::NoFocus);
  connect(timeSlider_, &QSlider::sliderPressed, this, [this] {
    setUserControlIsActive(true);
    sliderDidChange();
  });
  connect(timeSlider_, &QSlider::valueChanged, this, [this](int value) {
    progress_ = static_cast<float>(value) / kSliderSteps;
    showMomentAt(progress_);
    sliderDidChange();
  });
  connect(timeSlider_, &QSlider::sliderReleased, this, [this] {
    sliderDidChange();
    setUserControlIsActive(false);
  });

  driveSupportIconImageView_ = new IndicatorImageView(this);
  driveSupportIconImageView_->setFixedSize(kIconSide, kIconSide);
  brandLogoImageView_ = new QLabel(this);
  brandLogoImageView_->setPixmap(ImageAssets::imageNamed(QStringLiteral("brand_logo"), QSize(96, 24), devicePixelRatioF()));
  brandLogoImageView_->setAlignment(Qt::AlignCenter);
  gauge_ = new QWidget(this);
  meterImageView_ = new QLabel(gauge_);
  needleView_ = new NeedleView(gauge_);

  auto* readouts = new QHBoxLayout;
  readouts->setSpacing(8);
  readouts->addWidget(labelSpeed_);
  readouts->addWidget(labelGX_);
  readouts->addWidget(labelGY_);
  readouts->addWidget(labelGZ_);
  readouts->addStretch(1);
  readouts->addWidget(driveSupportIconImageView_);
  auto* gaugeColumn = new QVBoxLayout;
  gaugeColumn->setSpacing(0);
  gaugeColumn->addWidget(brandLogoImageView_, 0, Qt::AlignHCenter);
  gaugeColumn->addWidget(gauge_, 1, Qt::AlignHCenter);
  gaugeColumn->addWidget(labelSpeedMeter_, 0, Qt::AlignHCenter);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 8, 2);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  grid->addLayout(readouts, 0, 0, 1, 5);
  grid->addWidget(imageViewMotionAxisLabel_, 1, 0);
  grid->addWidget(motionLabelColumn_, 1, 1);
  grid->addWidget(graphView_, 1, 2);
  grid->addWidget(speedLabelColumn_, 1, 3);
  grid->addWidget(imageViewSpeedAxisLabel_, 1, 4);
  grid->addWidget(timeSlider_, 2, 2);
  grid->addLayout(gaugeColumn, 0, 5, 3, 1);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(1, 1);
  grid->setColumnMinimumWidth(5, 90);

  updateLabelsWithMaxSpeed(GraphScale::speedLabelMaxValue(0.0), GraphScale::motionLabelMaxABSValue(1.0));
  needleView_->setup();
  const bool mph = CustomLocation::shouldUseMilePerHour();
  meterImageView_->setProperty("imageName", mph ? QStringLiteral("meter_mile") : QStringLiteral("meter"));
  brandLogoImageView_->show();
  layoutGauge();
}

void GraphViewController::hideEvent(QHideEvent* event) {
  abandonUserControl();
  QWidget::hideEvent(event);
}

void GraphViewController::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  needleView_->updateLayerWithSpeed(0.0f);
  setupAxisLabel();
}

void GraphViewController::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutGauge();
}

bool GraphViewController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == graphView_ && event->type() == QEvent::Resize) {
    layoutAxisLabels();
    setupAxisLabel();
  }
  return QWidget::eventFilter(watched, event);
}

void GraphViewController::layoutGauge() {
  const int side = std::clamp(height() - 60, 60, 190);
  if (gauge_->width() == side && !meterImageView_->pixmap().isNull()) return;
  gauge_->setFixedSize(side, side);
  meterImageView_->setGeometry(0, 0, side, side);
  meterImageView_->setPixmap(
      ImageAssets::imageNamed(meterImageView_->property("imageName").toString(), QSize(side, side), devicePixelRatioF()));
  needleView_->setGeometry(0, 0, side, side);
}

void GraphViewController::layoutAxisLabels() {
  const double height = graphView_->height();
  const double span = height - 2.0 * kOffsetY;
  const int rowHeight = QFontMetrics(labelSpeed0to4_[0]->font()).height();
  for (int i = 0; i < 5; ++i) {
    // The end labels stay whole inside the chart's height.
    const int centre = static_cast<int>(std::lround(height - (kOffsetY + i * span / 4.0)));
    const int y = std::clamp(centre - rowHeight / 2, 0, std::max(0, static_cast<int>(height) - rowHeight));
    labelMotion0to4_[i]->setGeometry(0, y, motionLabelColumn_->width() - 2, rowHeight);
    labelSpeed0to4_[i]->setGeometry(2, y, speedLabelColumn_->width() - 2, rowHeight);
  }
}

void GraphViewController::setupAxisLabel() {
  const QColor color = ColorPalette::graphAxisColor();
  const QSize motionSize(imageViewMotionAxisLabel_->height(), imageViewMotionAxisLabel_->width());
  if (!motionSize.isEmpty()) {
    const QImage motion =
        CaptureViewUtility::captureLabelImageWithSize(motionSize, tr("ACCELERATION(G)"), color, 11.0);
    imageViewMotionAxisLabel_->setPixmap(QPixmap::fromImage(CaptureViewUtility::rotateImage(motion, 0)));
  }
  const QSize speedSize(imageViewSpeedAxisLabel_->height(), imageViewSpeedAxisLabel_->width());
  if (!speedSize.isEmpty()) {
    const QString title = CustomLocation::shouldUseMilePerHour() ? tr("SPEED(mph)") : tr("SPEED(km/h)");
    const QImage speed = CaptureViewUtility::captureLabelImageWithSize(speedSize, title, color, 11.0);
    imageViewSpeedAxisLabel_->setPixmap(QPixmap::fromImage(CaptureViewUtility::rotateImage(speed, 1)));
  }
}

void GraphViewController::drawGraphWithCurrentDCFInfo(const DCFInfoPtr& info) {
  abandonUserControl();
  driveSupportIconImageView_->hideImage();
  lastIconGroup_ = -1;
  progress_ = 0.0f;
  {
    const QSignalBlocker block(timeSlider_);
    timeSlider_->setValue(0);
  }
  graphView_->updateCurrentPositionWithProgress(progress());
  currentInfo_ = info;
  moment_ = {};
  const std::shared_ptr<NMEAData> nmea = info ? info->nmea() : nullptr;
  const double maxSpeed = GraphScale::speedLabelMaxValue(nmea ? nmea->maxSpeed() : 0.0);
  const double maxMotion = GraphScale::motionLabelMaxABSValue(nmea ? nmea->maxMotionABS() : 0.0);
  updateEventMarks();
  graphView_->updateDrawerWithDCFInfo(info, maxSpeed, maxMotion);
  updateLabelsWithMaxSpeed(maxSpeed, maxMotion);
  if (!nmea || nmea->GOPs().isEmpty()) needleView_->updateLayerWithSpeed(0.0f);
  updateExportSpanBand();
}

void GraphViewController::telemetryDidParse(const DCFInfoPtr& info) {
  if (!info || info != currentInfo_) return;
  const std::shared_ptr<NMEAData> nmea = info->nmea();
  const double maxSpeed = GraphScale::speedLabelMaxValue(nmea ? nmea->maxSpeed() : 0.0);
  const double maxMotion = GraphScale::motionLabelMaxABSValue(nmea ? nmea->maxMotionABS() : 0.0);
  updateEventMarks();
  graphView_->updateDrawerWithDCFInfo(info, maxSpeed, maxMotion);
  updateLabelsWithMaxSpeed(maxSpeed, maxMotion);
  lastIconGroup_ = -1;
}

void GraphViewController::setDrivingEvents(const QList<TripEvent>& events) {
  drivingEvents_ = events;
  if (!currentInfo_) return;
  updateEventMarks();
  graphView_->updateDrawLayer();
}

float GraphViewController::shownSpeed(const TelemetryMoment& moment) const {
  if (!moment.location) return 0.0F;
  if (moment.group && *moment.group < bridgedSpeeds_.size()) {
    if (const auto& bridged = bridgedSpeeds_[*moment.group]) {
      CustomLocation location = *moment.location;
      location.speed = *bridged;
      return GraphSamples::displaySpeed(location);
    }
  }
  return GraphSamples::displaySpeed(*moment.location);
}

void GraphViewController::updateEventMarks() {
  QList<GraphLayerDrawer::EventMark> marks;
  const std::shared_ptr<NMEAData> nmea = currentInfo_ ? currentInfo_->nmea() : nullptr;
  const GOPList groups = nmea ? nmea->GOPs() : GOPList();
  bridgedSpeeds_ = GraphSamples::bridgedSpeeds(QList<GOPData>(groups.begin(), groups.end()));
  // One group a second: the telemetry's one rule, as the chart spreads them.
  const double seconds = nmea ? static_cast<double>(nmea->GOPs().size()) : 0.0;
  if (seconds > 0.0) {
    for (const TripEvent& event : std::as_const(drivingEvents_)) {
      if (event.recording != currentInfo_) continue;
      marks.append({event.event.seconds / seconds, (event.event.seconds + event.event.durationSeconds) / seconds,
                    event.event.kind});
    }
  }
  graphView_->graphLayerDrawer()->setEventMarks(std::move(marks));
}

void GraphViewController::speedUnitDidChange() {
  const bool mph = CustomLocation::shouldUseMilePerHour();
  meterImageView_->setProperty("imageName", mph ? QStringLiteral("meter_mile") : QStringLiteral("meter"));
  meterImageView_->setPixmap({});  // layoutGauge draws the dial afresh
  layoutGauge();
  setupAxisLabel();
  if (currentInfo_) {
    telemetryDidParse(currentInfo_);
  } else {
    updateLabelsWithMaxSpeed(GraphScale::speedLabelMaxValue(0.0), GraphScale::motionLabelMaxABSValue(1.0));
  }
  showReadouts();
}

void GraphViewController::observe(const RecordingCatalogue* catalogue, PlaybackClock* clock) {
  playbackClock_ = clock;
  connect(catalogue, &RecordingCatalogue::catalogueDidChange, this, [this] { drawGraphWithCurrentDCFInfo(nullptr); });
  connect(catalogue, &RecordingCatalogue::currentDCFDidChange, this,
          [this](const DCFInfoPtr& info) { drawGraphWithCurrentDCFInfo(info); });
  connect(catalogue, &RecordingCatalogue::pictureWithoutDCFChosen, this, [this] {
    drawGraphWithCurrentDCFInfo(nullptr);
    updateProgress(TelemetryMoment::at(nullptr, 0.0, 0.0));
  });
  connect(catalogue, &RecordingCatalogue::recordingDidParse, this, &GraphViewController::telemetryDidParse);
  // While the user holds the cursor it shows the user's moment, not the tick's.
  connect(clock, &PlaybackClock::momentDidChange, this, [this](const TelemetryMoment& moment) {
    if (!userControlIsActive_) updateProgress(moment);
  });
}

void GraphViewController::setUserControlIsActive(bool active) {
  userControlIsActive_ = active;
  if (playbackClock_) playbackClock_->setHeldByUser(active);
}

void GraphViewController::updateProgress(const TelemetryMoment& moment) {
  const double rate = playbackClock_ ? playbackClock_->rate() : 1.0;
  const qint64 now = clock_();
  if (rate != 1.0 && lastUpdateProgress_ && now - *lastUpdateProgress_ < kThrottleMs) return;
  lastUpdateProgress_ = now;
  setProgress(moment.fraction);
  moment_ = moment;
  showReadouts();
}

void GraphViewController::showMomentAt(float position) {
  const std::shared_ptr<NMEAData> nmea = currentInfo_ ? currentInfo_->nmea() : nullptr;
  moment_ = TelemetryMoment::atFraction(nmea.get(), position, currentDuration());
  showReadouts();
}

float GraphViewController::progress() const { return progress_; }

void GraphViewController::setProgress(float progress) {
  progress_ = progress;
  const double fraction = std::isfinite(progress) ? static_cast<double>(progress) : 0.0;
  const int value = static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kSliderSteps));
  // Moves that do not reach the next pixel of the slider repaint nothing.
  const int span = std::max(1, timeSlider_->width());
  if (value != 0 && value != kSliderSteps &&
      QStyle::sliderPositionFromValue(0, kSliderSteps, value, span) ==
          QStyle::sliderPositionFromValue(0, kSliderSteps, timeSlider_->value(), span)) {
    return;
  }
  const QSignalBlocker block(timeSlider_);
  timeSlider_->setValue(value);
}

void GraphViewController::setLabelText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

void GraphViewController::showReadouts() {
  if (moment_.location) {
    const float v = shownSpeed(moment_);
    setLabelText(labelSpeed_, QString::asprintf("Speed:%2.1f", static_cast<double>(v)));
    setLabelText(labelSpeedMeter_, QString::number(static_cast<long long>(v)));
    needleView_->updateLayerWithSpeed(v);
  }
  if (const auto& motion = moment_.motion) {
    setLabelText(labelGX_, QString::asprintf("GX:%1.6f", motion->gx()));
    setLabelText(labelGY_, QString::asprintf("GY:%1.6f", motion->gy()));
    setLabelText(labelGZ_, QString::asprintf("GZ:%1.6f", motion->gz()));
  }
  graphView_->updateCurrentPositionWithProgress(progress());
  // The length of a recording is known once it plays: place the band then.
  if (currentDuration() != bandDuration_) updateExportSpanBand();
  updateDriveSupportIcon();
}

void GraphViewController::updateDriveSupportIcon() {
  const qsizetype group = moment_.group ? static_cast<qsizetype>(*moment_.group) : -1;
  if (group == lastIconGroup_) return;
  lastIconGroup_ = group;
  if (const auto& warning = moment_.warning) {
    driveSupportIconImageView_->showImage(
        ImageAssets::imageNamed(warning->appearanceImageName(), QSize(kIconSide, kIconSide), devicePixelRatioF()),
        kDriveSupportIconSeconds);
    driveSupportIconImageView_->setToolTip(warning->appearanceEventName());
  }
}

void GraphViewController::updateLabelsWithMaxSpeed(double maxSpeed, double maxMotionABS) {
  const auto speeds = GraphScale::speedLabelTexts(maxSpeed);
  const auto motions = GraphScale::motionLabelTexts(maxMotionABS);
  for (int i = 0; i < 5; ++i) {
    labelSpeed0to4_[i]->setText(speeds[i]);
    labelMotion0to4_[i]->setText(motions[i]);
  }
}

void GraphViewController::sliderDidChange() { emit seekRequested(progress()); }

void GraphViewController::beginUserControl(double progress) {
  setUserControlIsActive(true);
  continueUserControl(progress);
}

void GraphViewController::continueUserControl(double progress) {
  setProgress(static_cast<float>(progress));
  showMomentAt(this->progress());
  sliderDidChange();
}

void GraphViewController::endUserControl(double progress) {
  continueUserControl(progress);
  setUserControlIsActive(false);
}

void GraphViewController::abandonUserControl() {
  graphView_->cancelSeek();
  // Let go without a seek: the position may belong to another recording.
  const QSignalBlocker block(timeSlider_);
  timeSlider_->setSliderDown(false);
  setUserControlIsActive(false);
}

double GraphViewController::currentDuration() const {
  if (!currentInfo_) return 0.0;
  double duration = currentInfo_->duration();
  if (duration <= 0.0 && playbackClock_) duration = playbackClock_->moment().duration;
  return duration > 0.0 ? duration : 0.0;
}

QDateTime GraphViewController::dateAt(double progress) const {
  const double duration = currentDuration();
  if (!currentInfo_ || duration <= 0.0 || !currentInfo_->startDate().isValid()) return {};
  return currentInfo_->startDate().addMSecs(std::llround(std::clamp(progress, 0.0, 1.0) * duration * 1000.0));
}

void GraphViewController::setExportStart(const QDateTime& date) {
  if (!date.isValid()) return;
  setExportSpan(date, exportEnd_.isValid() && exportEnd_ > date ? exportEnd_ : QDateTime());
}

void GraphViewController::setExportEnd(const QDateTime& date) {
  if (!date.isValid()) return;
  setExportSpan(exportStart_.isValid() && exportStart_ < date ? exportStart_ : QDateTime(), date);
}

void GraphViewController::setExportSpan(const QDateTime& from, const QDateTime& to) {
  if (from.isValid() && to.isValid() && to <= from) return;
  if (from == exportStart_ && to == exportEnd_) return;
  exportStart_ = from;
  exportEnd_ = to;
  updateExportSpanBand();
  emit exportSpanChanged();
}

void GraphViewController::clearExportSpan() { setExportSpan({}, {}); }

void GraphViewController::updateExportSpanBand() {
  const double duration = currentDuration();
  bandDuration_ = duration;
  const QDateTime start = currentInfo_ ? currentInfo_->startDate() : QDateTime();
  const auto fraction = [&](const QDateTime& date) -> std::optional<double> {
    if (!date.isValid() || !start.isValid() || duration <= 0.0) return std::nullopt;
    return static_cast<double>(start.msecsTo(date)) / (duration * 1000.0);
  };
  ProgressLayerDrawer* drawer = graphView_->progressLayerDrawer();
  const std::optional<double> from = fraction(exportStart_);
  const std::optional<double> to = fraction(exportEnd_);
  if (drawer->markedFrom() == from && drawer->markedTo() == to) return;
  drawer->setMarkedSpan(from, to);
  graphView_->updateAccessoryLayer();
}

QMenu* GraphViewController::makeContextMenu(double progress) {
  auto* menu = new QMenu(this);
  const QDateTime date = dateAt(progress);
  QAction* start = menu->addAction(tr("Set Export Start Here"), this, [this, date] { setExportStart(date); });
  start->setEnabled(date.isValid());
  QAction* end = menu->addAction(tr("Set Export End Here"), this, [this, date] { setExportEnd(date); });
  end->setEnabled(date.isValid());
  QAction* clear = menu->addAction(tr("Clear Export Span"), this, [this] { clearExportSpan(); });
  clear->setEnabled(exportStart_.isValid() || exportEnd_.isValid());
  menu->addSeparator();
  menu->addAction(tr("Export Video…"), this, [this] { emit exportVideoRequested(); })->setEnabled(currentInfo_ != nullptr);
  menu->addAction(tr("Export Incident Report…"), this, [this] { emit exportReportRequested(); })
      ->setEnabled(currentInfo_ != nullptr);
  return menu;
}

QString GraphViewController::toolTipTextAt(double progress) const {
  const std::shared_ptr<NMEAData> nmea = currentInfo_ ? currentInfo_->nmea() : nullptr;
  if (!nmea || nmea->GOPs().isEmpty()) return {};
  const double duration = currentDuration();
  const TelemetryMoment moment = TelemetryMoment::atFraction(nmea.get(), static_cast<float>(progress), duration);
  QStringList lines;
  lines << clockText(progress * duration);
  if (const QDateTime date = dateAt(progress); date.isValid()) {
    lines.last() += QStringLiteral("  ") + QLocale().toString(date.addMSecs(-std::llround(clockCorrection_ * 1000.0)).time(),
                                                             QStringLiteral("HH:mm:ss"));
  }
  if (moment.location) {
    lines << tr("Speed: %1 %2")
                 .arg(static_cast<double>(shownSpeed(moment)), 0, 'f', 1)
                 .arg(CustomLocation::unitForCurrentLocale());
  }
  if (const auto& motion = moment.motion) {
    lines << QStringLiteral("GX: %1  GY: %2  GZ: %3")
                 .arg(motion->gx(), 0, 'f', 3)
                 .arg(motion->gy(), 0, 'f', 3)
                 .arg(motion->gz(), 0, 'f', 3);
  }
  const double groups = static_cast<double>(nmea->GOPs().size());
  for (const GraphLayerDrawer::EventMark& mark : graphView_->graphLayerDrawer()->eventMarks()) {
    // Within a second of the mark, so a short one can be pointed at.
    if (progress >= mark.from - 1.0 / groups && progress <= mark.to + 1.0 / groups) {
      for (const TripEvent& event : drivingEvents_) {
        if (event.recording == currentInfo_ && event.event.kind == mark.kind &&
            std::abs(event.event.seconds / groups - mark.from) < 1e-9) {
          lines << tr("%1: %2 g").arg(DrivingEvent::kindTitle(mark.kind)).arg(event.event.peakG, 0, 'f', 2);
        }
      }
    }
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace dashcard
