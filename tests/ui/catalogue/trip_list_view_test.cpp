// The Trips tab: trips of a card made in the background, chosen to play.
#include "support/drive_script.h"
#include "support/temp_card.h"
#include "support/wait_for.h"
#include "ui/catalogue/trip_list_view.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

TEST(TripListView, ShowsTripsWithRecordingsAndChoosesThem) {
  QTemporaryDir dir;
  const QDateTime start(QDate(2024, 5, 17), QTime(8, 0), QTimeZone::utc());
  QStringList names;
  for (int minute : {0, 1, 10}) {
    test::DriveScript drive(start.addSecs(minute * 60), 10.0);
    drive.cruise(60);
    const QString base =
        QStringLiteral("NORMAL/%1_20240517080000_") + start.addSecs(minute * 60).toString("yyyyMMddHHmmss") + "_N.";
    ASSERT_TRUE(test::writeFileAt(dir.path(), base.arg("F") + "MP4"));
    ASSERT_TRUE(test::writeFileAt(dir.path(), base.arg("N") + "NMEA", drive.text()));
    names.append(base.arg("F") + "MP4");
  }
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
