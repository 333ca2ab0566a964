#include "core/media/incident_export.h"
#include "core/playback/media_controller.h"
#include "support/pane_fakes.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include "core/media/clip_health.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::FakeList;
using test::FakePlayer;
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


// "Repair…" of the lists: copies go into the chosen folder, never onto the
// card; the window then plays a copy in place of its damaged video.
TEST(MediaControllerTasks, RepairWritesCopiesOffTheCardAndPlaysThemInstead) {
  test::TempCard cut(test::powerCutCardOptions(3));
  ASSERT_TRUE(cut.ok()) << cut.error().toStdString();
  const DCFInfoList recordings = test::scanRecordings(cut.root());
  const auto damaged = std::find_if(recordings.begin(), recordings.end(), [](const DCFInfoPtr& info) {
    return !ClipHealth::inspect(info->filePath()).healthy();
  });
  ASSERT_NE(damaged, recordings.end());
  const DCFInfoPtr healthy = recordings.first() == *damaged ? recordings.last() : recordings.first();
  const auto before = test::fingerprint(cut.root());
  QTemporaryDir outside;
  const auto ended = [](const FakeSheet& sheet) { return sheet.progress == 1.0f; };

  struct Case {
    const char* name;
    QString target;
    DCFInfoList chosen;
    const char* says;  // the sheet's last text starts so
    bool repaired;
  } const cases[] = {
      {"onto the card", cut.root(), {*damaged}, "The repaired copies cannot go on the card", false},
      {"into a folder of the card", cut.path(QStringLiteral("NORMAL")), {*damaged}, "The repaired copies cannot go", false},
      {"not a folder", outside.filePath(QStringLiteral("none")), {*damaged}, "Choose a folder", false},
      {"nothing damaged", outside.path(), {healthy}, "None of the chosen", false},
      {"repaired", outside.path(), {healthy, *damaged}, "Repair is complete", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MediaController controller;
    FakeList list;
    int finishes = 0;
    MediaController::RepairedCopies copies;
    controller.repairRecordings(c.chosen, c.target, &list, [&](const MediaController::RepairedCopies& made) {
      ++finishes;
      copies = made;
    });
    ASSERT_EQ(list.sheets.size(), 1u);
    FakeSheet& sheet = *list.sheets.front();
    ASSERT_TRUE(test::spinUntil([&] { return ended(sheet); }));
    ASSERT_TRUE(test::spinUntilIdle());
    QCoreApplication::processEvents();
    EXPECT_TRUE(sheet.texts.last().startsWith(QLatin1String(c.says))) << sheet.texts.last().toStdString();
    EXPECT_EQ(sheet.succeeded, c.repaired);
    EXPECT_EQ(finishes, c.repaired ? 1 : 0);
    EXPECT_EQ(test::fingerprint(cut.root()), before);
    if (!c.repaired) continue;
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(copies.first().first, (*damaged)->filePath());
    EXPECT_EQ(QFileInfo(copies.first().second).absolutePath(), QFileInfo(outside.path()).absoluteFilePath());
    EXPECT_TRUE(ClipHealth::inspect(copies.first().second).healthy());
    sheet.pressButton();

    // The copy plays in the damaged video's place, and the drive stops passing it by.
    FakePlayer front;
    controller.setPlayerVC(&front);
    controller.catalogue()->setMediaInfoWithRootPath(cut.root(), recordings, {});
    (*damaged)->setDamageReason(QStringLiteral("No index"), true);
    // Chosen by hand without its copy, it is not loaded but offered for a rebuild.
    DCFInfoList offered;
    QObject::connect(&controller, &MediaController::unplayableRecordingChosen,
                     [&](const DCFInfoPtr& info) { offered << info; });
    controller.catalogue()->updateCurrentDCF(*damaged, RecordingCatalogue::kMediaListNormal, nullptr);
    EXPECT_TRUE(front.loadedPath.isEmpty()) << front.loadedPath.toStdString();
    EXPECT_EQ(offered, DCFInfoList{*damaged});
    controller.useRepairedCopy(copies.first().first, copies.first().second);
    EXPECT_EQ(front.loadedPath, copies.first().second);
    EXPECT_EQ(controller.repairedCopies().value((*damaged)->filePath()), copies.first().second);
    controller.dispose();
  }
}

}  // namespace
}  // namespace dashcard
