#include "ui/app/left_split_view_controller.h"
#include "support/wait_for.h"
#include "ui/app/path_control.h"
#include "ui/app/top_split_view_controller.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

TEST(SplitViewTest, TopDividerSnapsTo410WhenDroppedWithin50Points) {
  TopSplitViewController split;
  EXPECT_EQ(split.constrainSplitPosition(365, 1), 410);
  EXPECT_EQ(split.constrainSplitPosition(361, 1), 410);
  EXPECT_EQ(split.constrainSplitPosition(459, 1), 410);
  EXPECT_EQ(split.constrainSplitPosition(360, 1), 360);
  EXPECT_EQ(split.constrainSplitPosition(355, 1), 355);
  EXPECT_EQ(split.constrainSplitPosition(460, 1), 460);

  split.addWidget(new QLabel(QStringLiteral("left")));
  split.addWidget(new QLabel(QStringLiteral("right")));
  split.resize(1200, 400);
  split.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&split));
  split.moveDivider(365);
  EXPECT_EQ(split.dividerPosition(), 410);
  split.moveDivider(355);
  EXPECT_EQ(split.dividerPosition(), 355);
}

TEST(SplitViewTest, DraggingTheHandleGoesThroughTheConstraint) {
  TopSplitViewController split;
  split.addWidget(new QLabel(QStringLiteral("left")));
  split.addWidget(new QLabel(QStringLiteral("right")));
  split.resize(1200, 400);
  split.setSizes({300, 900});
  split.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&split));
  QSplitterHandle* handle = split.handle(1);
  const QPoint start(0, 10);
  QTest::mousePress(handle, Qt::LeftButton, {}, start);
  QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(70, 0)), handle->mapToGlobal(QPointF(start + QPoint(70, 0))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(handle, &move);
  QTest::mouseRelease(handle, Qt::LeftButton, {}, start + QPoint(70, 0));
  EXPECT_EQ(split.dividerPosition(), 410);
}

TEST(SplitViewTest, LeftDividerSnaps215PointsAboveTheBottom) {
  LeftSplitViewController split;
  split.addWidget(new QLabel(QStringLiteral("lists")));
  split.addWidget(new QLabel(QStringLiteral("map")));
  split.resize(400, 800);
  split.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&split));
  const int snap = split.height() - LeftSplitViewController::kMapSnapHeight;
  EXPECT_EQ(split.constrainSplitPosition(snap - 49, 1), snap);
  EXPECT_EQ(split.constrainSplitPosition(snap + 49, 1), snap);
  EXPECT_EQ(split.constrainSplitPosition(snap - 50, 1), snap - 50);
  split.moveDivider(snap + 30);
  EXPECT_EQ(split.dividerPosition(), snap);
}

TEST(SplitViewTest, CollapseAndExpandKeepTheLastSizeAndReportChanges) {
  TopSplitViewController split;
  split.addWidget(new QLabel(QStringLiteral("left")));
  split.addWidget(new QLabel(QStringLiteral("right")));
  split.resize(1000, 300);
  split.setSizes({300, 700});
  split.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&split));
  QSignalSpy changes(&split, &SplitViewController::itemCollapseChanged);
  split.collapseItem(0, false);
  EXPECT_TRUE(split.isItemCollapsed(0));
  EXPECT_EQ(split.sizes().value(0), 0);
  split.collapseItem(0, false);
  EXPECT_EQ(changes.size(), 1);
  split.expandItem(0, true);
  split.finishAnimation();
  EXPECT_FALSE(split.isItemCollapsed(0));
  EXPECT_EQ(split.sizes().value(0), 300);
  EXPECT_EQ(changes.size(), 2);
  // An animated collapse ends where it should.
  split.collapseItem(0, true);
  DC_TRY_COMPARE_WITH_TIMEOUT(split.sizes().value(0), 0, 5000);
  split.setItemCollapsed(7, true);
}

TEST(SplitViewTest, PositionsSurviveThroughTheAutosaveName) {
  {
    TopSplitViewController split;
    split.addWidget(new QLabel(QStringLiteral("left")));
    split.addWidget(new QLabel(QStringLiteral("right")));
    split.resize(1000, 300);
    split.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&split));
    split.moveDivider(250);
  }
  TopSplitViewController again;
  again.addWidget(new QLabel(QStringLiteral("left")));
  again.addWidget(new QLabel(QStringLiteral("right")));
  again.restoreAutosavedState();
  again.resize(1000, 300);
  again.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
  EXPECT_EQ(again.dividerPosition(), 250);
}

TEST(PathControlTest, ComponentsOpenTheirFolderAndThePopUpKeepsThreeItems) {
  PathControl control;
  EXPECT_TRUE(control.componentPaths().isEmpty());
  control.setPath(QStringLiteral("/media/user/CARD 'one'/"));
  EXPECT_EQ(control.componentPaths(),
            (QStringList{QStringLiteral("/"), QStringLiteral("/media"), QStringLiteral("/media/user"),
                         QStringLiteral("/media/user/CARD 'one'")}));
  QSignalSpy clicked(&control, &PathControl::componentClicked);
  QToolButton* last = nullptr;
  for (QToolButton* button : control.findChildren<QToolButton*>()) {
    if (button->toolTip() == QStringLiteral("/media/user/CARD 'one'")) last = button;
  }
  ASSERT_NE(last, nullptr);
  last->click();
  ASSERT_EQ(clicked.size(), 1);
  EXPECT_EQ(clicked.at(0).at(0).toString(), QStringLiteral("/media/user/CARD 'one'"));

  QSignalSpy opened(&control, &PathControl::menuWillOpen);
  control.prepareMenu();
  EXPECT_EQ(control.menu()->actions().size(), PathControl::kFixedMenuItems);
  EXPECT_EQ(opened.size(), 1);
}

}  // namespace
}  // namespace dashcard
