#include "core/common/color_palette.h"

#include <gtest/gtest.h>

namespace dashcard {
namespace {

TEST(ColorPalette, KmlColourTextIsAlphaBlueGreenRed) {
  EXPECT_EQ(ColorPalette::colorString(ColorPalette::routeColor1()), "FFFF0000");
  const QList<QColor> icons = ColorPalette::iconColors();
  EXPECT_EQ(ColorPalette::colorString(icons.at(0)), "FF0000FF");
  EXPECT_EQ(ColorPalette::colorString(icons.at(1)), "FF00FFFF");
  EXPECT_EQ(ColorPalette::colorString(icons.at(2)), "FFFFFFFF");
  // 128 of 255 must stay 80, not drop to 7F through rounding.
  EXPECT_EQ(ColorPalette::colorString(ColorPalette::routeColors().at(2)), "FF008000");
  EXPECT_EQ(ColorPalette::colorString(ColorPalette::colorWithHexRed(5, 248, 209, 0.5)), "7FD1F805");
  EXPECT_EQ(ColorPalette::colorString(QColor(Qt::transparent)), "00000000");
  // The 8-bit tables that KML reads without the GUI library give the same text.
  for (std::size_t i = 0; i < ColorPalette::kRouteArgb.size(); ++i) {
    EXPECT_EQ(ColorPalette::colorString(ColorPalette::kRouteArgb[i]),
              ColorPalette::colorString(ColorPalette::routeColors().at(static_cast<qsizetype>(i))));
  }
  for (std::size_t i = 0; i < ColorPalette::kIconArgb.size(); ++i) {
    EXPECT_EQ(ColorPalette::colorString(ColorPalette::kIconArgb[i]),
              ColorPalette::colorString(ColorPalette::iconColors().at(static_cast<qsizetype>(i))));
  }
  EXPECT_EQ(ColorPalette::colorString(qRgba(5, 248, 209, 0x7F)), "7FD1F805");
}

TEST(ColorPalette, ListsAndNamedColours) {
  const QList<QColor> routes = ColorPalette::routeColors();
  ASSERT_EQ(routes.size(), 7);
  EXPECT_EQ(routes[0], QColor(0, 0, 255));
  EXPECT_EQ(routes[2], QColor(0, 128, 0));
  EXPECT_EQ(routes[6], QColor(255, 255, 0));
  const QList<QColor> icons = ColorPalette::iconColors();
  ASSERT_EQ(icons.size(), 4);
  EXPECT_EQ(icons[1], QColor(255, 255, 0));
  EXPECT_EQ(ColorPalette::graphGYColor(), QColor(139, 153, 255));
  EXPECT_EQ(ColorPalette::graphBackGroundColor(), QColor(51, 51, 51));
  EXPECT_EQ(ColorPalette::adasLaneDepartureColor().alphaF(), 1.0f);
}

TEST(ColorPalette, HexColoursStoreWhatTheFloatingPointFactoryStores) {
  for (int value = 0; value <= 255; ++value) {
    for (const double alpha : {0.0, 0.25, 0.5, 1.0 / 3.0, 1.0}) {
      const QColor ours = ColorPalette::colorWithHexRed(value, 255 - value, value / 2, alpha);
      const QColor reference =
          QColor::fromRgbF(static_cast<float>(value / 255.0), static_cast<float>((255 - value) / 255.0),
                           static_cast<float>((value / 2) / 255.0), static_cast<float>(alpha));
      ASSERT_EQ(ours.rgba64(), reference.rgba64()) << value << " " << alpha;
    }
  }
  EXPECT_FALSE(ColorPalette::colorWithHexRed(256, 0, 0, 1.0).isValid());
  EXPECT_FALSE(ColorPalette::colorWithHexRed(0, 0, 0, -0.1).isValid());
}

TEST(ColorPalette, RouteColourChangesOnALaterLocalDay) {
  const QDateTime lateEvening(QDate(2024, 3, 9), QTime(23, 59, 0));  // local time
  const QDateTime justAfterMidnight(QDate(2024, 3, 10), QTime(0, 1, 0));
  const QDateTime morning(QDate(2024, 3, 9), QTime(6, 0, 0));
  EXPECT_FALSE(ColorPalette::shouldChangeRouteColor(QDateTime(), justAfterMidnight));
  EXPECT_FALSE(ColorPalette::shouldChangeRouteColor(lateEvening, QDateTime()));
  EXPECT_FALSE(ColorPalette::shouldChangeRouteColor(morning, lateEvening));
  EXPECT_TRUE(ColorPalette::shouldChangeRouteColor(lateEvening, justAfterMidnight));
  EXPECT_FALSE(ColorPalette::shouldChangeRouteColor(justAfterMidnight, lateEvening));  // an earlier day
  EXPECT_EQ(ColorPalette::daysBetween(morning, QDateTime(QDate(2024, 4, 9), QTime(1, 0))), 31);
  EXPECT_EQ(ColorPalette::daysBetween(justAfterMidnight, morning), -1);
  EXPECT_EQ(ColorPalette::adjustZeroClock(lateEvening), QDateTime(QDate(2024, 3, 9), QTime(0, 0)));
}

}  // namespace
}  // namespace dashcard
