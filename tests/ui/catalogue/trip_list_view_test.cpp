// The Trips tab: trips of a card made in the background, chosen to play.
#include "support/drive_script.h"
#include "support/temp_card.h"
#include "support/wait_for.h"
#include "ui/catalogue/trip_list_view.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

// Three one-minute recordings at 08:00, 08:01 and 08:10: two trips by the gap.
QStringList writeDrives(const QString& root) {
  const QDateTime start(QDate(2024, 5, 17), QTime(8, 0), QTimeZone::utc());
  QStringList names;
  for (int minute : {0, 1, 10}) {
    test::DriveScript drive(start.addSecs(minute * 60), 10.0);
    drive.cruise(60);
    const QString base =
        QStringLiteral("NORMAL/%1_20240517080000_") + start.addSecs(minute * 60).toString("yyyyMMddHHmmss") + "_N.";
    if (!test::writeFileAt(root, base.arg("F") + "MP4") || !test::writeFileAt(root, base.arg("N") + "NMEA", drive.text())) {
      return {};
    }
    names.append(base.arg("F") + "MP4");
  }
  return names;
}

QList<int> tripSizes(const TripListView& view) {
  QList<int> sizes;
  for (int i = 0; i < view.topLevelItemCount(); ++i) sizes.append(view.topLevelItem(i)->childCount());
  return sizes;
}

TEST(TripListView, MergesAndSplitsAreRememberedForTheCard) {
  QTemporaryDir dir;
  QTemporaryDir kept;
  ASSERT_EQ(writeDrives(dir.path()).size(), 3);
  const DCFInfoList recordings = test::scanRecordings(dir.path());
  TripListView view;
  view.setOverridesFolder(kept.path());
  QSignalSpy made(&view, &TripListView::tripsDidChange);
  view.setRecordings(recordings);
  DC_TRY_COMPARE(made.count(), 1);
  ASSERT_EQ(tripSizes(view), (QList<int>{2, 1}));

  // What the context menu offers on each row.
  const struct {
    QTreeWidgetItem* row;
    bool previous, next, split;
  } rows[] = {{view.topLevelItem(0), false, true, false},
              {view.topLevelItem(1), true, false, false},
              {view.topLevelItem(0)->child(0), false, false, false},
              {view.topLevelItem(0)->child(1), false, false, true}};
  for (const auto& r : rows) {
    std::unique_ptr<QMenu> menu(view.makeContextMenu(r.row));
    EXPECT_EQ(menu->findChild<QAction*>(QStringLiteral("mergePrevious"))->isEnabled(), r.previous);
    EXPECT_EQ(menu->findChild<QAction*>(QStringLiteral("mergeNext"))->isEnabled(), r.next);
    EXPECT_EQ(menu->findChild<QAction*>(QStringLiteral("splitHere"))->isEnabled(), r.split);
  }
  EXPECT_FALSE(view.splitAt(view.topLevelItem(0)->child(0)));

  ASSERT_TRUE(view.mergeWithPrevious(view.topLevelItem(1)));
  DC_TRY_COMPARE(made.count(), 2);
  EXPECT_EQ(tripSizes(view), (QList<int>{3}));
  ASSERT_TRUE(view.splitAt(view.topLevelItem(0)->child(1)));
  DC_TRY_COMPARE(made.count(), 3);
  EXPECT_EQ(tripSizes(view), (QList<int>{1, 2}));

  // Another view of the same card finds them; nothing was written to the card.
  TripListView again;
  again.setOverridesFolder(kept.path());
  QSignalSpy againMade(&again, &TripListView::tripsDidChange);
  again.setRecordings(recordings);
  DC_TRY_COMPARE(againMade.count(), 1);
  EXPECT_EQ(tripSizes(again), (QList<int>{1, 2}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("NORMAL")});
}

TEST(TripListView, ShowsTripsWithRecordingsAndChoosesThem) {
  QTemporaryDir dir;
  const QStringList names = writeDrives(dir.path());
  ASSERT_EQ(names.size(), 3);
  TripListView view;
  QSignalSpy made(&view, &TripListView::tripsDidChange);
  QSignalSpy chosen(&view, &TripListView::recordingChosen);
  // A second card before the first is made: only the second one's trips come.
  view.setRecordings(test::scanRecordings(dir.path()).mid(0, 1));
  view.setRecordings(test::scanRecordings(dir.path()));
  DC_TRY_COMPARE(made.count(), 1);
  ASSERT_EQ(view.topLevelItemCount(), 2);
  EXPECT_EQ(view.topLevelItem(0)->childCount(), 2);
  EXPECT_EQ(view.topLevelItem(1)->childCount(), 1);
  EXPECT_EQ(made.count(), 1);

  emit view.itemActivated(view.topLevelItem(1), 0);
  emit view.itemActivated(view.topLevelItem(0)->child(1), 0);
  ASSERT_EQ(chosen.count(), 2);
  EXPECT_EQ(chosen.at(0).at(0).value<DCFInfoPtr>()->deltaPath(), names[2]);
  EXPECT_EQ(chosen.at(1).at(0).value<DCFInfoPtr>()->deltaPath(), names[1]);

  // An empty card finishes too, with no trips.
  view.setRecordings({});
  DC_TRY_COMPARE(made.count(), 2);
  EXPECT_EQ(view.topLevelItemCount(), 0);
}

}  // namespace
}  // namespace dashcard
