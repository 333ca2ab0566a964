#include "ui/export/activity_indicator.h"
#include "support/wait_for.h"
#include "ui/export/progress_view_controller.h"
#include "ui/export/sd_card_load_progress_view_controller.h"
#include "ui/export/sd_card_load_progress_window_controller.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace dashcard {
namespace {

TEST(ProgressViewControllerTest, ButtonReadsCancelBelowOneAndFinishFromOne) {
  EXPECT_EQ(ProgressViewController::closeButtonName(0.0f), QStringLiteral("Cancel"));
  EXPECT_EQ(ProgressViewController::closeButtonName(0.99f), QStringLiteral("Cancel"));
  EXPECT_EQ(ProgressViewController::closeButtonName(1.0f), QStringLiteral("Finish"));
  EXPECT_EQ(ProgressViewController::closeButtonName(1.2f), QStringLiteral("Finish"));
  EXPECT_TRUE(ProgressViewController::progressIndicatorHidden(0.99f));
  EXPECT_FALSE(ProgressViewController::progressIndicatorHidden(1.0f));

  ProgressViewController sheet;
  sheet.setProgress(0.5f);
  EXPECT_EQ(sheet.cancelButton()->text(), QStringLiteral("Cancel"));
  EXPECT_EQ(sheet.progressBar()->value(), sheet.progressBar()->maximum() / 2);
  sheet.setProgress(1.2f);
  EXPECT_EQ(sheet.cancelButton()->text(), QStringLiteral("Finish"));
  // The bar stops at full; the value itself is kept.
  EXPECT_EQ(sheet.progressBar()->value(), sheet.progressBar()->maximum());
  EXPECT_FLOAT_EQ(sheet.progress(), 1.2f);
  EXPECT_EQ(sheet.doneMark()->accessibleName(), QStringLiteral("Done"));
  // A failed task ends without the finished mark.
  sheet.setSucceeded(false);
  EXPECT_FALSE(sheet.doneMark()->isHidden());
  EXPECT_EQ(sheet.doneMark()->accessibleName(), QStringLiteral("Failed"));
}

TEST(ProgressViewControllerTest, BadProgressValuesDoNotBreakTheBar) {
  ProgressViewController sheet;
  sheet.setProgress(std::numeric_limits<float>::quiet_NaN());
  EXPECT_FLOAT_EQ(sheet.progress(), 0.0f);
  sheet.setProgress(-3.0f);
  EXPECT_EQ(sheet.progressBar()->value(), 0);
  EXPECT_EQ(sheet.cancelButton()->text(), QStringLiteral("Cancel"));
}

TEST(ProgressViewControllerTest, ButtonRunsTheCloseCallbackWhichMayReleaseTheSheet) {
  QWidget parent;
  QPointer<ProgressViewController> sheet = ProgressViewController::progressViewController(&parent);
  int calls = 0;
  ProgressSheet* seen = nullptr;
  sheet->setCloseClickBlock([&](ProgressSheet* s) {
    ++calls;
    seen = s;
    s->dismiss();
  });
  sheet->setInfoLabelText(QStringLiteral("Copying 3 of 7"));
  EXPECT_EQ(sheet->infoLabel()->text(), QStringLiteral("Copying 3 of 7"));
  QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, static_cast<ProgressSheet*>(sheet.data()));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(sheet.isNull());
}

TEST(ProgressViewControllerTest, EscapeActsLikeTheButtonAndNeverClosesByItself) {
  ProgressViewController sheet;
  sheet.show();
  int calls = 0;
  sheet.setCloseClickBlock([&](ProgressSheet*) { ++calls; });
  QTest::keyClick(&sheet, Qt::Key_Escape);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(sheet.isVisible());
  // Without a callback nothing happens at all.
  sheet.setCloseClickBlock({});
  sheet.closeButtonPressed();
  EXPECT_TRUE(sheet.isVisible());
}

TEST(ProgressViewControllerTest, CreepingProgressGrowsWithoutLimitAndReportsOverwriteIt) {
  ProgressViewController sheet;
  sheet.setProgress(0.999f);
  sheet.dummyProgress();
  EXPECT_NEAR(sheet.progress(), 1.0f, 1e-6);
  EXPECT_EQ(sheet.cancelButton()->text(), QStringLiteral("Finish"));
  sheet.dummyProgress();
  EXPECT_GT(sheet.progress(), 1.0f);
  sheet.setProgress(0.25f);
  EXPECT_FLOAT_EQ(sheet.progress(), 0.25f);
  // Showing the sheet starts the creep.
  sheet.show();
  const float before = sheet.progress();
  DC_TRY_VERIFY_WITH_TIMEOUT(sheet.progress() > before, 5000);
}

TEST(SDCardLoadProgressViewControllerTest, SpinnerTurnsIntoPercentageOnPhaseOne) {
  SDCardLoadProgressWindowController window;
  SDCardLoadProgressViewController* sheet = window.contentViewController();
  window.show();
  EXPECT_TRUE(sheet->percentageLabel()->isHidden());
  EXPECT_FALSE(sheet->activityIndicator()->isHidden());
  EXPECT_TRUE(sheet->activityIndicator()->isAnimating());
  EXPECT_EQ(sheet->messageLabel()->text(), QStringLiteral("Loading file.\nPlease wait."));

  sheet->updateLoadingPhase(1, -1);
  EXPECT_FALSE(sheet->percentageLabel()->isHidden());
  EXPECT_TRUE(sheet->activityIndicator()->isHidden());
  EXPECT_EQ(sheet->percentageLabel()->text(), QStringLiteral("0%"));
  EXPECT_EQ(sheet->progressBar()->value(), 0);

  sheet->updateLoadingPhase(1, 42);
  EXPECT_EQ(sheet->percentageLabel()->text(), QStringLiteral("42%"));
  EXPECT_EQ(sheet->progressBar()->value(), 42);
  // Later phases keep the percentage shown.
  sheet->updateLoadingPhase(3, 100);
  EXPECT_FALSE(sheet->percentageLabel()->isHidden());
  EXPECT_EQ(sheet->percentageLabel()->text(), QStringLiteral("100%"));
  sheet->updateLoadingPhase(3, 250);
  EXPECT_EQ(sheet->percentageLabel()->text(), QStringLiteral("100%"));
}

TEST(SDCardLoadProgressViewControllerTest, PhaseZeroKeepsTheSpinnerAndEscapeKeepsTheSheet) {
  SDCardLoadProgressWindowController window;
  window.show();
  window.contentViewController()->updateLoadingPhase(0, 0);
  EXPECT_TRUE(window.contentViewController()->percentageLabel()->isHidden());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace dashcard
