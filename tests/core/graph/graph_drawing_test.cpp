#include "core/common/color_palette.h"
#include "core/graph/graph_layer_drawer.h"
#include "core/graph/graph_samples.h"
#include "core/graph/graph_scale.h"
#include "core/graph/needle_transform.h"
#include "core/graph/progress_layer_drawer.h"

#include <QImage>
#include <QLocale>
#include <QPainter>

#include <array>
#include <vector>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

constexpr int kWidth = 216;
constexpr int kHeight = 102;
constexpr double kOffsetX = 8.0;
constexpr double kOffsetY = 1.0;

// Speeds in km/h throughout.
class GraphDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = QLocale();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  void TearDown() override { QLocale::setDefault(saved_); }

  static GOPData group(double speed, const std::vector<std::array<double, 3>>& motions = {},
                       double correctedSpeed = 0.0) {
    GOPData gop;
    CustomLocation location(35.0, 139.0);
    location.speed = speed;
    location.correctedSpeed = correctedSpeed;
    gop.setLocation(location);
    for (const auto& g : motions) gop.appendMotion(MotionData(g[0], g[1], g[2]));
    return gop;
  }

  static QImage draw(const LayerDrawer& drawer) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(ColorPalette::graphBackGroundColor());
    QPainter painter(&image);
    drawer.drawContents(&painter, QRectF(0, 0, kWidth, kHeight));
    return image;
  }

  static GraphLayerDrawer chart(std::optional<QList<GOPData>> gops, double maxSpeed = 120.0, double maxMotion = 1.0) {
    GraphLayerDrawer drawer;
    drawer.setOffsetX(kOffsetX);
    drawer.setOffsetY(kOffsetY);
    drawer.setAntialiased(false);
    drawer.setMaxSpeedValue(maxSpeed);
    drawer.setMaxMotionABSValue(maxMotion);
    drawer.setCurrentGOPs(std::move(gops));
    return drawer;
  }

  // Rows of column x (screen rows, top 0) painted in `color`.
  static std::vector<int> rowsOf(const QImage& image, int x, const QColor& color) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixelColor(x, y) == color) rows.push_back(y);
    }
    return rows;
  }
  // The screen row of a chart value y (y up from the bottom edge).
  static int screenRow(double chartY) { return kHeight - static_cast<int>(chartY); }
  static bool near(const std::vector<int>& rows, int row) {
    for (int r : rows) {
      if (std::abs(r - row) <= 1) return true;
    }
    return false;
  }

 private:
  QLocale saved_;
};

TEST_F(GraphDrawingTest, WithoutTwoGroupsOnlyTheAxesAreDrawn) {
  const std::vector<std::optional<QList<GOPData>>> cases = {
      std::nullopt, QList<GOPData>{}, QList<GOPData>{group(30.0, {{1.0, -1.0, 0.5}, {0.2, 0.2, 0.2}})}};
  const QColor background = ColorPalette::graphBackGroundColor();
  const QColor axis = ColorPalette::graphAxisColor();
  for (const auto& gops : cases) {
    const QImage image = draw(chart(gops));
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const QColor c = image.pixelColor(x, y);
        ASSERT_TRUE(c == background || c == axis) << x << "," << y;
      }
    }
    // The middle line and both vertical axes with their ticks.
    EXPECT_TRUE(near(rowsOf(image, kWidth / 2, axis), kHeight / 2));
    EXPECT_GE(rowsOf(image, static_cast<int>(kOffsetX), axis).size(), static_cast<std::size_t>(kHeight - 4));
    EXPECT_EQ(rowsOf(image, static_cast<int>(kOffsetX) - 3, axis).size(), 5u);
    EXPECT_EQ(rowsOf(image, kWidth - static_cast<int>(kOffsetX) + 3, axis).size(), 5u);
  }
}

TEST_F(GraphDrawingTest, CurvesRunUpwardsForPositiveGAndSpeedFromTheBottom) {
  // Two groups, 400 samples (more than one per column): GX at +1 G, GY at
  // -1 G, GZ at +0.5 G; the speed 60 km/h of a 120 axis.
  std::vector<std::array<double, 3>> samples(200, {1.0, -1.0, 0.5});
  const double mps = 60.0 / 3.6;
  const QImage image = draw(chart(QList<GOPData>{group(mps, samples), group(mps, samples)}));
  const double span = kHeight - 2 * kOffsetY;
  const int x = kWidth / 3;
  EXPECT_TRUE(near(rowsOf(image, x, ColorPalette::graphGXColor()), screenRow(kOffsetY + span)));
  EXPECT_TRUE(near(rowsOf(image, x, ColorPalette::graphGYColor()), screenRow(kOffsetY)));
  EXPECT_TRUE(near(rowsOf(image, x, ColorPalette::graphGZColor()), screenRow(kHeight / 2.0 + 0.25 * span)));
  EXPECT_TRUE(near(rowsOf(image, x, ColorPalette::graphSpeedColor()), screenRow(kOffsetY + span / 2)));
}

TEST_F(GraphDrawingTest, FirstGroupWithoutSpeedTakesTheSecondsAndLowSpeedsStayOnTheBottom) {
  // Group 0 unknown (its carried-over 18 km/h is not used), group 1 at
  // 36 km/h, group 2 unknown carrying -3.6 km/h over: clamped to the bottom.
  const QImage image = draw(chart(QList<GOPData>{group(-1.0, {}, 5.0), group(10.0), group(-1.0, {}, -1.0)}));
  const double span = kHeight - 2 * kOffsetY;
  const QColor speed = ColorPalette::graphSpeedColor();
  const int left = static_cast<int>(kOffsetX) + 1;
  EXPECT_TRUE(near(rowsOf(image, left, speed), screenRow(kOffsetY + 36.0 * span / 120.0)));
  EXPECT_FALSE(near(rowsOf(image, left, speed), screenRow(kOffsetY + 18.0 * span / 120.0)));
  const int right = kWidth - static_cast<int>(kOffsetX) - 1;
  EXPECT_TRUE(near(rowsOf(image, right, speed), screenRow(kOffsetY)));
}

TEST_F(GraphDrawingTest, DriveSupportMarksSitAtTheirPositionInTheGroup) {
  // Start delay at position 5 (on the group), lane departure at 0 (half a
  // group step to the left), forward collision at 10 (half a step right).
  QStringList fields = {"$QVDSA", "5", "1", "0", "1", "L", "10", "1", "12.5", "1.5"};
  while (fields.size() < 17) fields << "0";
  GOPData marked = group(10.0);
  marked.appendDriveSupportInfo(DriveSupportData(fields));
  const QImage image = draw(chart(QList<GOPData>{group(10.0), marked, group(10.0)}));
  const double step = (kWidth - 2 * kOffsetX) / 2.0;
  const double x = kOffsetX + step;
  EXPECT_GT(rowsOf(image, static_cast<int>(x), ColorPalette::adasDelayColor()).size(), 20u);
  EXPECT_GT(rowsOf(image, static_cast<int>(x - step / 2), ColorPalette::adasLaneDepartureColor()).size(), 20u);
  EXPECT_GT(rowsOf(image, static_cast<int>(x + step / 2), ColorPalette::adasForwardCollisionColor()).size(), 20u);
  // Dashed: some rows between top and bottom are left out.
  EXPECT_LT(rowsOf(image, static_cast<int>(x), ColorPalette::adasDelayColor()).size(), kHeight - 10u);
}

TEST_F(GraphDrawingTest, ScaleEndsAndLabels) {
  struct Case {
    double maxSpeed;
    double maxMotion;
    std::array<QString, 5> speedTexts;
    std::array<QString, 5> motionTexts;
  };
  const Case cases[] = {
      {0.0, 0.0, {"0", "30", "60", "90", "120"}, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
      {33.4, 2.0, {"0", "45", "90", "135", "180"}, {"-2.0", "-1.0", "0.0", "1.0", "2.0"}},
      {33.3, 2.01, {"0", "30", "60", "90", "120"}, {"-3.0", "-1.5", "0.0", "1.5", "3.0"}},
      {60.0, 12.5, {"0", "60", "120", "180", "240"}, {"-9.0", "-4.5", "0.0", "4.5", "9.0"}},
  };
  for (const Case& c : cases) {
    const double s = GraphScale::speedLabelMaxValue(c.maxSpeed);
    const double m = GraphScale::motionLabelMaxABSValue(c.maxMotion);
    EXPECT_EQ(GraphScale::speedLabelTexts(s), c.speedTexts) << c.maxSpeed;
    EXPECT_EQ(GraphScale::motionLabelTexts(m), c.motionTexts) << c.maxMotion;
  }
  // 120.2 km/h in miles per hour is below 120: the shortest axis.
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(GraphScale::speedLabelMaxValue(33.4), 120.0);
}

TEST_F(GraphDrawingTest, CursorLineAndItsRepaintStrip) {
  ProgressLayerDrawer cursor;
  cursor.setOffsetX(10.0);
  cursor.setOffsetY(1.0);
  cursor.setProgress(0.5f);
  QImage image(220, 40, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  cursor.drawContents(&painter, QRectF(0, 0, 220, 40));
  painter.end();
  const QColor axis = ColorPalette::graphAxisColor();
  EXPECT_EQ(image.pixelColor(109, 20), axis);
  EXPECT_EQ(image.pixelColor(110, 20), axis);
  EXPECT_NE(image.pixelColor(108, 20), axis);
  EXPECT_NE(image.pixelColor(111, 20), axis);
  EXPECT_NE(image.pixelColor(110, 0), axis);  // the top margin stays clear
  EXPECT_TRUE(cursor.cursorRect(QSizeF(220, 40)).contains(QRect(109, 0, 2, 40)));
  EXPECT_DOUBLE_EQ(cursor.progressForX(110.0, 220.0), 0.5);
  EXPECT_DOUBLE_EQ(cursor.progressForX(-5.0, 220.0), 0.0);
  EXPECT_DOUBLE_EQ(cursor.progressForX(500.0, 220.0), 1.0);
}

TEST_F(GraphDrawingTest, SamplesAtTheCursor) {
  EXPECT_EQ(GraphSamples::displaySpeed(CustomLocation(0.0, 0.0)), 0.0f);
  CustomLocation unknown(1.0, 2.0);
  unknown.correctedSpeed = 10.0;
  EXPECT_FLOAT_EQ(GraphSamples::displaySpeed(unknown), 36.0f);
}

TEST_F(GraphDrawingTest, NeedlePointsAtItsSpeed) {
  // A needle drawn pointing up from the centre of a 101x101 picture, turned
  // about that centre: where does its tip land?
  struct Case {
    float speed;
    QPoint tip;
  };
  const Case cases[] = {{90.0f, {50, 15}}, {0.0f, {25, 75}}, {180.0f, {75, 75}}, {60.0f, {25, 25}}};
  for (const Case& c : cases) {
    QImage image(101, 101, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.translate(50.5, 50.5);
    painter.setTransform(NeedleTransform::rotationTransformForSpeed(c.speed), true);
    painter.setPen(QPen(Qt::white, 3.0));
    painter.drawLine(QPointF(0, 0), QPointF(0, -40));
    painter.end();
    EXPECT_EQ(image.pixelColor(c.tip), QColor(Qt::white)) << c.speed;
    EXPECT_EQ(image.pixelColor(100 - c.tip.x(), 100 - c.tip.y()), QColor(Qt::black)) << c.speed;
  }
}

TEST_F(GraphDrawingTest, DrivingEventsAreFlaggedInTheirKindsColour) {
  QList<GOPData> gops;
  for (int i = 0; i < 10; ++i) gops.append(group(0.0));
  GraphLayerDrawer drawer = chart(gops);
  using Kind = DrivingEvent::Kind;
  const struct {
    double from;
    Kind kind;
  } marks[] = {{0.2, Kind::Braking}, {0.5, Kind::Acceleration}, {0.8, Kind::Cornering}};
  QList<GraphLayerDrawer::EventMark> list;
  for (const auto& m : marks) list.append({m.from, m.from + 0.05, m.kind});
  drawer.setEventMarks(list);
  const QImage image = draw(drawer);
  const double usable = kWidth - 2.0 * kOffsetX;
  for (const auto& m : marks) {
    SCOPED_TRACE(DrivingEvent::kindName(m.kind).toStdString());
    const int x = static_cast<int>(kOffsetX + m.from * usable);
    // The flag hangs from the top of the chart; the band below is lighter.
    EXPECT_EQ(image.pixelColor(x, screenRow(kHeight - kOffsetY - 2)), DrivingEvent::kindColor(m.kind));
    EXPECT_NE(image.pixelColor(x + 3, kHeight / 3), ColorPalette::graphBackGroundColor());
    EXPECT_NE(image.pixelColor(x + 3, kHeight / 3), DrivingEvent::kindColor(m.kind));
  }
  // Nothing between the events.
  EXPECT_EQ(image.pixelColor(static_cast<int>(kOffsetX + 0.35 * usable), kHeight / 3), ColorPalette::graphBackGroundColor());
}

TEST_F(GraphDrawingTest, ASpeedSpikeOfOneSecondIsBridged) {
  // 36 km/h along a road, one second reading 216 km/h (or 0) between; a fix
  // without a valid position keeps its reading.
  const struct {
    double middle;
    bool valid;
    double shownKmh;
  } cases[] = {{60.0, true, 36.0}, {0.0, true, 36.0}, {12.0, true, 43.2}, {0.0, false, 0.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.middle);
    QList<GOPData> gops;
    for (int i = 0; i < 5; ++i) {
      GOPData gop = group(i == 2 ? c.middle : 10.0);
      CustomLocation location = gop.location();
      location.latitude = 35.0 + i * 0.00009;  // 10 m a second
      gop.setLocation(location);
      gop.setIsValid(i != 2 || c.valid);
      gops.append(gop);
    }
    const QImage image = draw(chart(gops, 240.0));
    const double span = kHeight - 2 * kOffsetY;
    const int middle = static_cast<int>(kOffsetX + 0.5 * (kWidth - 2 * kOffsetX));
    EXPECT_TRUE(
        near(rowsOf(image, middle, ColorPalette::graphSpeedColor()), screenRow(kOffsetY + c.shownKmh * span / 240.0)));
  }
}

}  // namespace
}  // namespace dashcard
