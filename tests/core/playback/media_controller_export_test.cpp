#include "core/media/incident_export.h"
#include "core/playback/media_controller.h"
#include "support/pane_fakes.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::FakeList;
using test::FakeSheet;

const test::TempCard& card() { return test::sharedCard(6, 3, false); }

TEST(MediaControllerTasks, ExportShowsProgressAndTheEndOnTheSheet) {
  ASSERT_TRUE(card().ok());
  MediaController controller;
  FakeList list;
  QTemporaryDir out;
  const QString target = out.filePath(QStringLiteral("route.kmz"));
  controller.exportSelectedInfos(test::scanRecordings(card().root()), target, &list);
  ASSERT_EQ(list.sheets.size(), 1u);
  FakeSheet& sheet = *list.sheets.front();
  EXPECT_FALSE(controller.catalogue()->canReloadMedia());
  ASSERT_TRUE(test::spinUntil([&] { return sheet.ended(); }));
  EXPECT_EQ(sheet.texts.first(), QString());
  EXPECT_TRUE(sheet.texts.at(1).startsWith(QStringLiteral("F_")));
  EXPECT_EQ(sheet.texts.last(), "KML/KMZ export is complete");
  EXPECT_TRUE(QFile::exists(target));
  sheet.pressButton();
  EXPECT_TRUE(sheet.dismissed);
  EXPECT_TRUE(controller.catalogue()->canReloadMedia());
  EXPECT_EQ(controller.currentProgressVC(), nullptr);
  ASSERT_TRUE(test::spinUntilIdle());
}

TEST(MediaControllerTasks, ExportErrorAndBackupEndTexts) {
  ASSERT_TRUE(card().ok());
  MediaController controller;
  FakeList list;
  QTemporaryDir out;
  controller.exportSelectedInfos(test::scanRecordings(card().root()), out.filePath(QStringLiteral("none/x.kml")), &list);
  FakeSheet& failed = *list.sheets.back();
  ASSERT_TRUE(test::spinUntil([&] { return failed.ended(); }));
  EXPECT_EQ(failed.texts.last(), "An error occurred when writing data");
  EXPECT_FALSE(failed.succeeded);
  failed.pressButton();

  const DCFInfoList recordings = test::scanRecordings(card().root());
  QList<BackUpItem> items{recordings.first(), recordings.last()};
  const QString target = out.filePath(QStringLiteral("backup"));
  EXPECT_TRUE(DCFAsyncBackUp::targetProblem(target).isEmpty());
  controller.backUpSelectedInfos(items, target, &list);
  FakeSheet& backUp = *list.sheets.back();
  ASSERT_TRUE(test::spinUntil([&] { return backUp.ended(); }));
  EXPECT_EQ(backUp.texts.last(), "Backup is complete");
  EXPECT_FALSE(DCFAsyncBackUp::targetProblem(target).isEmpty());

  // Into the same folder again: refused, and nothing of the first backup is lost.
  controller.backUpSelectedInfos(items, target, &list);
  FakeSheet& refused = *list.sheets.back();
  ASSERT_TRUE(test::spinUntil([&] { return refused.ended(); }));
  EXPECT_EQ(refused.texts.last(), "An error occurred during backup");
  EXPECT_FALSE(refused.succeeded);
  EXPECT_TRUE(QFile::exists(target + QLatin1Char('/') + recordings.first()->deltaPath()));
  refused.pressButton();
  ASSERT_TRUE(test::spinUntilIdle());
}

TEST(MediaControllerTasks, ARefusedVideoExportEndsOnceAndAClosedSheetHearsNothing) {
  MediaController controller;
  FakeList list;
  QTemporaryDir out;
  IncidentExportRequest request;  // no recording in its span: always refused
  request.from = QDateTime(QDate(2023, 12, 31), QTime(23, 59, 15), Qt::UTC);
  request.to = request.from.addSecs(30);
  request.targetFilePath = out.filePath(QStringLiteral("incident.mp4"));
  const auto ends = [](const FakeSheet& sheet) {
    return sheet.texts.filter(QStringLiteral("The video could not be exported: ")).size() +
           sheet.texts.count(QStringLiteral("Video export is complete"));
  };

  controller.exportIncidentVideo(request, &list);
  FakeSheet& refused = *list.sheets.back();
  EXPECT_EQ(refused.texts.value(1), QStringLiteral("incident.mp4"));
  EXPECT_FALSE(controller.catalogue()->canReloadMedia());
  ASSERT_TRUE(test::spinUntil([&] { return ends(refused) > 0; }));
  ASSERT_TRUE(test::spinUntilIdle());
  QCoreApplication::processEvents();
  EXPECT_EQ(ends(refused), 1);
  EXPECT_EQ(refused.progress, 1.0f);
  EXPECT_TRUE(refused.texts.last().startsWith(QStringLiteral("The video could not be exported: ")));
  EXPECT_FALSE(QFile::exists(request.targetFilePath));
  refused.pressButton();
  EXPECT_TRUE(refused.dismissed);
  EXPECT_TRUE(controller.catalogue()->canReloadMedia());

  // Closed at once: the run's end does not reach the closed sheet.
  controller.exportIncidentVideo(request, &list);
  FakeSheet& closed = *list.sheets.back();
  closed.pressButton();
  const QStringList before = closed.texts;
  ASSERT_TRUE(test::spinUntilIdle());
  QCoreApplication::processEvents();
  EXPECT_EQ(closed.texts, before);
  EXPECT_TRUE(controller.catalogue()->canReloadMedia());
}

}  // namespace
}  // namespace dashcard
