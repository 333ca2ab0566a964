#include "ui/telemetry/image_assets.h"
#include "support/wait_for.h"
#include "ui/telemetry/indicator_image_view.h"
#include "ui/telemetry/status_indicator_panel_view.h"
#include "ui/telemetry/status_indicator_view.h"

#include <QTest>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

QPixmap picture(const QString& name) {
  const QPixmap pixmap = ImageAssets::imageNamed(name);
  EXPECT_FALSE(pixmap.isNull()) << name.toStdString();
  return pixmap;
}

TEST(StatusIndicator, FadesOnlyOnAChangeAndClearsAtOnce) {
  const QPixmap on = picture(QStringLiteral("carinfo_brake_a"));
  const QPixmap off = picture(QStringLiteral("carinfo_brake_n"));
  StatusIndicatorView lamp(on, off);
  lamp.forceClear();
  EXPECT_FALSE(lamp.isOn());
  EXPECT_FALSE(lamp.isEnabled());
  EXPECT_EQ(lamp.opacity(), 0.2);
  EXPECT_EQ(lamp.size(), on.deviceIndependentSize().toSize());

  lamp.setIsOn(false);  // unchanged
  EXPECT_FALSE(lamp.isAnimating());
  lamp.setIsOn(true);
  EXPECT_TRUE(lamp.isAnimating());
  EXPECT_EQ(lamp.currentImage().cacheKey(), on.cacheKey());
  DC_TRY_VERIFY(!lamp.isAnimating());
  lamp.setIsOn(true);  // unchanged
  EXPECT_FALSE(lamp.isAnimating());
  lamp.forceClear();
  EXPECT_FALSE(lamp.isOn());
  EXPECT_FALSE(lamp.isAnimating());
  EXPECT_EQ(lamp.currentImage().cacheKey(), off.cacheKey());
  lamp.setIsEnabled(true);
  EXPECT_EQ(lamp.opacity(), 1.0);
}

TEST(StatusIndicatorPanel, FollowsSamplesWithDataAndIgnoresAPanelWithoutHeight) {
  StatusIndicatorPanelView panel;
  panel.resize(panel.sizeHint());
  EXPECT_FALSE(panel.isEnabled());
  EXPECT_FALSE(panel.brakeStausView()->isEnabled());
  panel.setIsEnabled(true);
  EXPECT_TRUE(panel.rightWinkerStatusView()->isEnabled());

  CarInfo braking;
  braking.speed = 40;
  braking.isBrakeOn = true;
  braking.isLetfWinkerOn = true;
  panel.updateWithCarInfo(braking);
  EXPECT_TRUE(panel.brakeStausView()->isOn());
  EXPECT_TRUE(panel.leftWinkerStatusView()->isOn());
  EXPECT_FALSE(panel.backStatusView()->isOn());

  // A sample without data (speed -1) turns every lamp off, flags or not.
  CarInfo noData = braking;
  noData.speed = -1;
  noData.isBackOn = true;
  panel.updateWithCarInfo(noData);
  for (StatusIndicatorView* lamp : {panel.brakeStausView(), panel.backStatusView(), panel.leftWinkerStatusView(),
                                    panel.rightWinkerStatusView()}) {
    EXPECT_FALSE(lamp->isOn());
    EXPECT_FALSE(lamp->isAnimating());
  }

  panel.resize(panel.width(), 0);
  panel.updateWithCarInfo(braking);
  EXPECT_FALSE(panel.brakeStausView()->isOn());
}

TEST(IndicatorImage, OnlyTheLastTimedShowCounts) {
  const QPixmap first = picture(QStringLiteral("adas_lane_departure"));
  const QPixmap second = picture(QStringLiteral("adas_forward_collision"));
  IndicatorImageView view;
  view.showImage(QPixmap(), 1.0);  // nothing to show: nothing happens
  EXPECT_FALSE(view.isShowingImage());
  EXPECT_EQ(view.pendingHideMs(), -1);

  // A long first time, a short second: hidden after the second's.
  view.showImage(first, 60.0);
  view.showImage(second, 0.05);
  EXPECT_EQ(view.pixmap().cacheKey(), second.cacheKey());
  DC_TRY_VERIFY_WITH_TIMEOUT(!view.isShowingImage(), 5000);
  EXPECT_EQ(view.pendingHideMs(), -1);

  // A short first time, a long second: the first's timer is gone.
  view.showImage(first, 0.05);
  view.showImage(second, 60.0);
  EXPECT_GT(view.pendingHideMs(), 30000);

  // Showing at once keeps the pending hide; 0 s shows until told otherwise.
  view.showImageImmidiately(first);
  EXPECT_GT(view.pendingHideMs(), 30000);
  EXPECT_EQ(view.pixmap().cacheKey(), first.cacheKey());
  view.setToolTip(QStringLiteral("warning"));
  view.showImage(second, 0.0);
  EXPECT_EQ(view.pendingHideMs(), -1);
  view.hideImage();
  EXPECT_FALSE(view.isShowingImage());
  EXPECT_TRUE(view.toolTip().isEmpty());
}

}  // namespace
}  // namespace dashcard
