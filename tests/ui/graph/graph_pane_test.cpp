#include "core/common/color_palette.h"
#include "core/playback/playback_fakes.h"
#include "core/telemetry/nmea_data.h"
#include "support/temp_card.h"
#include "support/wait_for.h"
#include "ui/graph/graph_view.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/graph/needle_view.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QLocale>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace dashcard {
namespace {

using test::FakePlayer;

// A tick's moment at a fraction of a four-second recording.
TelemetryMoment momentAt(const DCFInfoPtr& info, float fraction) {
  return TelemetryMoment::atFraction(info ? info->nmea().get() : nullptr, fraction, 4.0);
}

QStringList texts(const std::array<QLabel*, 5>& labels) {
  QStringList list;
  for (QLabel* label : labels) list << label->text();
  return list;
}

bool hasColour(const QImage& image, const QColor& colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

// A pane wired to a media controller with fake front and rear players.
class GraphPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    controller.setPlayerVC(&front);
    controller.setPlayerVCSecondary(&rear);
    controller.setPlayerVCs({&front, &rear});
    pane.observe(controller.catalogue(), controller.clock());
    QObject::connect(&pane, &GraphViewController::seekRequested, &controller, &MediaController::updateProgress);
    pane.setClock([this] { return now; });
    pane.resize(900, 240);
    pane.show();
  }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }

  // The first recording of a small card (no videos), telemetry read.
  static DCFInfoPtr recording() {
    const auto& card = test::sharedCard(2, 3, false);
    auto info = std::make_shared<DCFInfo>(card.root(), card.clips().first().frontPath);
    info->nmea()->setup();
    return info;
  }

  qint64 now = 1000;
  FakePlayer front, rear;
  MediaController controller;
  GraphViewController pane;
};

TEST_F(GraphPaneTest, EmptyStateShowsTheSetUpTexts) {
  EXPECT_EQ(pane.labelSpeed()->text(), "Speed:---");
  EXPECT_EQ(pane.labelSpeedMeter()->text(), "---");
  EXPECT_EQ(pane.labelGX()->text(), "GX:0.000000");
  EXPECT_EQ(pane.labelGZ()->text(), "GZ:0.000000");
  EXPECT_EQ(texts(pane.labelSpeeds()), QStringList({"0", "30", "60", "90", "120"}));
  EXPECT_EQ(texts(pane.labelMotions()), QStringList({"-1.0", "-0.5", "0.0", "0.5", "1.0"}));
  EXPECT_FALSE(pane.userControlIsActive());
}

TEST_F(GraphPaneTest, ARecordingIsDrawnOnceAndTheReadoutsFollowTheCursor) {
  const DCFInfoPtr info = recording();
  ASSERT_GE(info->nmea()->GOPs().size(), 2u);
  pane.drawGraphWithCurrentDCFInfo(info);
  QImage chart = pane.graphView()->grab().toImage();
  EXPECT_TRUE(hasColour(chart, ColorPalette::graphGZColor()) || hasColour(chart, ColorPalette::graphGXColor()));
  const int renders = pane.graphView()->drawLayerRenderCount();

  // Ticks move the cursor and refresh the readouts, never the chart.
  for (float p : {0.2f, 0.5f, 0.7f}) {
    pane.updateProgress(momentAt(info, p));
    pane.graphView()->grab();
  }
  EXPECT_EQ(pane.graphView()->drawLayerRenderCount(), renders);
  EXPECT_FLOAT_EQ(pane.graphView()->progressLayerDrawer()->progress(), 0.7f);
  EXPECT_NE(pane.labelSpeed()->text(), "Speed:---");
  EXPECT_TRUE(pane.labelGX()->text().startsWith("GX:"));
  EXPECT_EQ(static_cast<int>(pane.needleView()->targetSpeed()), pane.labelSpeedMeter()->text().toInt());
  const QString speed = pane.labelSpeed()->text();
  const QString gx = pane.labelGX()->text();

  // At the slider's end there is no sample: the readouts stay.
  pane.updateProgress(momentAt(info, 1.0f));
  EXPECT_FALSE(pane.moment().location);
  EXPECT_FALSE(pane.moment().motion);
  EXPECT_EQ(pane.labelSpeed()->text(), speed);
  EXPECT_EQ(pane.labelGX()->text(), gx);

  pane.resize(700, 200);
  pane.graphView()->grab();
  EXPECT_EQ(pane.graphView()->drawLayerRenderCount(), renders + 1);

  // No recording: axes only, back to the shortest scale.
  pane.drawGraphWithCurrentDCFInfo(nullptr);
  chart = pane.graphView()->grab().toImage();
  EXPECT_FALSE(hasColour(chart, ColorPalette::graphGXColor()));
  EXPECT_EQ(texts(pane.labelSpeeds()).last(), "120");
  EXPECT_EQ(pane.progress(), 0.0f);
}

TEST_F(GraphPaneTest, ARecordingDrawnBeforeItsTelemetryWasReadIsDrawnAgainOnceItIs) {
  const auto& card = test::sharedCard(2, 3, false);
  auto info = std::make_shared<DCFInfo>(card.root(), card.clips().first().frontPath);
  pane.drawGraphWithCurrentDCFInfo(info);
  EXPECT_FALSE(hasColour(pane.graphView()->grab().toImage(), ColorPalette::graphGZColor()));
  info->nmea()->setup();
  pane.telemetryDidParse(std::make_shared<DCFInfo>(card.root(), card.clips().first().frontPath));  // another recording
  EXPECT_FALSE(hasColour(pane.graphView()->grab().toImage(), ColorPalette::graphGZColor()));
  pane.telemetryDidParse(info);
  EXPECT_TRUE(hasColour(pane.graphView()->grab().toImage(), ColorPalette::graphGZColor()));
}

TEST_F(GraphPaneTest, AtOtherRatesTheCursorMovesAtMostTenTimesASecond) {
  // The clock's ticks at the front's rate.
  const auto tickAt = [this](float progress, double rate) {
    front.progressValue = progress;
    front.rate = rate;
    controller.clock()->tick(nullptr, front);
  };
  tickAt(0.1f, 1.0);
  now += 50;
  tickAt(0.2f, 2.0);
  EXPECT_NEAR(pane.progress(), 0.1f, 1e-4);
  now += 60;
  tickAt(0.3f, 2.0);
  EXPECT_NEAR(pane.progress(), 0.3f, 1e-4);
  now += 50;
  tickAt(0.4f, 1.0);
  EXPECT_NEAR(pane.progress(), 0.4f, 1e-4);
}

TEST_F(GraphPaneTest, SliderAndChartSeekBothPlayersAndHoldThemWhileHeld) {
  pane.drawGraphWithCurrentDCFInfo(recording());
  front.playing = rear.playing = true;
  QSlider* slider = pane.timeSlider();
  slider->setSliderDown(true);
  EXPECT_TRUE(pane.userControlIsActive());
  slider->setValue(slider->maximum() / 2);
  EXPECT_NEAR(front.progressValue, 0.5f, 1e-4);
  EXPECT_NEAR(rear.progressValue, 0.5f, 1e-4);
  controller.progressAction(&front);  // the tick while the slider is held
  EXPECT_FALSE(front.playing);
  EXPECT_FALSE(rear.playing);
  slider->setSliderDown(false);
  EXPECT_FALSE(pane.userControlIsActive());

  // A press in the chart seeks to the position under the pointer.
  GraphView* chart = pane.graphView();
  const QRectF area = chart->accessoryLayerContentRect();
  const QPoint quarter(static_cast<int>(area.left() + 8 + 0.25 * (area.width() - 16)), chart->height() / 2);
  QTest::mousePress(chart, Qt::LeftButton, {}, quarter);
  EXPECT_TRUE(pane.userControlIsActive());
  EXPECT_NEAR(front.progressValue, 0.25f, 0.01f);
  EXPECT_NEAR(chart->progressLayerDrawer()->progress(), 0.25f, 0.01f);
  QTest::mouseRelease(chart, Qt::LeftButton, {}, quarter);
  EXPECT_FALSE(pane.userControlIsActive());
  EXPECT_TRUE(pane.toolTipTextAt(0.25).contains("km/h"));
}

// The release of a drag may never come. Control ends when the pane hides,
// when another button is pressed (the chart's menu), when the pointer comes
// back with the button up, and with a new recording; else every tick would
// keep both players paused.
TEST_F(GraphPaneTest, ControlEndsWhenTheReleaseNeverComes) {
  pane.drawGraphWithCurrentDCFInfo(recording());
  GraphView* chart = pane.graphView();
  QSlider* slider = pane.timeSlider();
  const QPoint middle(chart->width() / 2, chart->height() / 2);
  const std::function<void()> pressChart = [&] { QTest::mousePress(chart, Qt::LeftButton, {}, middle); };
  const std::function<void()> holdSlider = [&] { slider->setSliderDown(true); };
  const std::function<void()> hidePane = [&] {
    pane.hide();
    pane.show();
  };
  const std::function<void()> newRecording = [&] { pane.drawGraphWithCurrentDCFInfo(recording()); };
  const std::function<void()> rightPress = [&] {
    QTest::mousePress(chart, Qt::RightButton, {}, middle);
    QTest::mouseRelease(chart, Qt::RightButton, {}, middle);
  };
  // The pointer over the chart with no button down.
  const auto hover = [&](const QPoint& at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), chart->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(chart, &move);
  };
  const std::function<void()> buttonUpElsewhere = [&] { hover(middle); };
  const struct {
    const char* name;
    const std::function<void()>& start;
    const std::function<void()>& interrupt;
  } cases[] = {
      {"chart, pane hidden", pressChart, hidePane},
      {"chart, right button", pressChart, rightPress},
      {"chart, button up elsewhere", pressChart, buttonUpElsewhere},
      {"chart, new recording", pressChart, newRecording},
      {"slider, pane hidden", holdSlider, hidePane},
      {"slider, new recording", holdSlider, newRecording},
  };
  for (const auto& c : cases) {
    c.start();
    ASSERT_TRUE(pane.userControlIsActive()) << c.name;
    c.interrupt();
    EXPECT_FALSE(pane.userControlIsActive()) << c.name;
    EXPECT_FALSE(slider->isSliderDown()) << c.name;
    front.playing = rear.playing = true;
    controller.progressAction(&front);
    EXPECT_TRUE(front.playing && rear.playing) << c.name;
    // Hovering afterwards seeks nothing.
    front.progressValue = 0.9f;
    hover(middle + QPoint(30, 0));
    EXPECT_EQ(front.progressValue, 0.9f) << c.name;
    if (&c.start == &pressChart) QTest::mouseRelease(chart, Qt::LeftButton, {}, middle);
    EXPECT_FALSE(pane.userControlIsActive()) << c.name;
  }
}

TEST_F(GraphPaneTest, TheExportSpanIsMarkedInDatesAndDrawnWhereItCrossesTheRecording) {
  const DCFInfoPtr info = recording();
  front.length = 0.0;
  pane.drawGraphWithCurrentDCFInfo(info);
  // The length is not known before the recording plays: nothing to mark yet.
  EXPECT_FALSE(pane.dateAt(0.5).isValid());
  EXPECT_FALSE(pane.makeContextMenu(0.5)->actions().first()->isEnabled());
  front.length = 4.0;
  controller.clock()->tick(nullptr, front);  // the first tick tells the length
  EXPECT_EQ(pane.dateAt(0.5), info->startDate().addSecs(2));

  ProgressLayerDrawer* drawer = pane.graphView()->progressLayerDrawer();
  pane.setExportStart(pane.dateAt(0.25));
  pane.setExportEnd(pane.dateAt(0.75));
  EXPECT_EQ(drawer->markedFrom(), 0.25);
  EXPECT_EQ(drawer->markedTo(), 0.75);
  const QImage drawn = pane.graphView()->grab().toImage();
  EXPECT_TRUE(hasColour(drawn, QColor(255, 196, 0)));
  // An end that would leave the span empty unsets the other one.
  pane.setExportStart(pane.dateAt(0.9));
  EXPECT_FALSE(pane.exportEnd().isValid());
  EXPECT_FALSE(drawer->markedTo().has_value());
  // A span reaching into the next recording ends past this one's edge.
  pane.setExportEnd(info->startDate().addSecs(6));
  EXPECT_EQ(drawer->markedTo(), 1.5);

  // A drag with Shift marks a span and leaves the players where they are.
  GraphView* chart = pane.graphView();
  const QPoint left(chart->width() / 4, chart->height() / 2);
  const QPoint right(chart->width() * 3 / 4, chart->height() / 2);
  const float before = front.progressValue;
  QTest::mousePress(chart, Qt::LeftButton, Qt::ShiftModifier, right);
  QTest::mouseRelease(chart, Qt::LeftButton, Qt::ShiftModifier, left);
  EXPECT_EQ(pane.exportStart(), pane.dateAt(chart->progressAt(left)));
  EXPECT_EQ(pane.exportEnd(), pane.dateAt(chart->progressAt(right)));
  EXPECT_EQ(front.progressValue, before);
  pane.clearExportSpan();
  EXPECT_FALSE(drawer->markedFrom().has_value());
}

TEST_F(GraphPaneTest, NeedleClampsIgnoresUnknownSpeedsAndHidesWhileResized) {
  NeedleView* needle = pane.needleView();
  DC_TRY_COMPARE(needle->alpha(), 1.0);
  needle->updateLayerWithSpeed(90.0f);
  EXPECT_EQ(needle->targetSpeed(), 90.0f);
  needle->updateLayerWithSpeed(250.0f);
  EXPECT_EQ(needle->targetSpeed(), 180.0f);
  needle->updateLayerWithSpeed(-1.0f);
  EXPECT_EQ(needle->targetSpeed(), 180.0f);
  DC_TRY_VERIFY(!needle->isAnimating());
  needle->updateLayerWithSpeed(180.0f);  // steady: no new turn
  EXPECT_FALSE(needle->isAnimating());

  // Each size change hides it at 0 and restarts the 0.5 s before it shows.
  needle->resize(needle->width() + 1, needle->height());
  EXPECT_EQ(needle->alpha(), 0.0);
  EXPECT_EQ(needle->shownSpeed(), 0.0f);
  DC_TRY_VERIFY(needle->pendingShowMs() >= 0 && needle->pendingShowMs() < 350);
  needle->resize(needle->width() + 1, needle->height());
  EXPECT_GT(needle->pendingShowMs(), 400);
  EXPECT_EQ(needle->alpha(), 0.0);
  DC_TRY_COMPARE(needle->alpha(), 1.0);
}

TEST_F(GraphPaneTest, ChangingTheSpeedUnitRedrawsScaleAndReadouts) {
  CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::KilometresPerHour);
  const DCFInfoPtr info = recording();
  pane.drawGraphWithCurrentDCFInfo(info);
  const auto readout = [this] { return pane.labelSpeed()->text().section(QLatin1Char(':'), 1).toDouble(); };
  // A moment of the drive when the car moves.
  for (float p = 0.1f; p < 1.0f && readout() <= 5.0; p += 0.1f) pane.updateProgress(momentAt(info, p));
  const double kmh = readout();
  ASSERT_GT(kmh, 5.0);

  CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::MilesPerHour);
  pane.speedUnitDidChange();
  const double mph = readout();
  CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::System);
  EXPECT_NEAR(mph, kmh / 1.609, 0.2);
  EXPECT_EQ(static_cast<int>(pane.needleView()->targetSpeed()), pane.labelSpeedMeter()->text().toInt());
}

}  // namespace
}  // namespace dashcard
