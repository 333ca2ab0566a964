#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/card_scanner.h"
#include "core/catalogue/recent_documents.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/common/const_class.h"
#include "core/common/main_thread.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/media/dcf_async_parser.h"
#include "core/media/image_capture.h"
#include "core/media/picture_exif.h"
#include "core/playback/media_controller.h"
#include "support/pane_fakes.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using Log = test::PaneLog;
using test::FakeList;
using test::FakePlayer;
using test::FakeSplit;
using test::FakeTabs;

using test::spinUntil;

class MediaControllerCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cache.isValid());
    normal.logTo(&log, QStringLiteral("normal"));
    event.logTo(&log, QStringLiteral("event"));
    tab.logTo(&log, QStringLiteral("tab"));
    front.logTo(&log, QStringLiteral("front"));
    rear.logTo(&log, QStringLiteral("rear"));
    split.logTo(&log, QStringLiteral("split"));
    news.logTo(&log, QStringLiteral("news"));
    controller.setThumbnailDirectory(cache.path());
    test::showLists(controller, tab, normal, event);
    controller.setPlayerVC(&front);
    controller.setPlayerVCSecondary(&rear);
    controller.setPlayerVCs({&front, &rear});
    controller.setPlayerSplitVC(&split);
    RecentDocuments::clearRecentDocuments();
  }
  void TearDown() override {
    // A cancelled walk leaves without the main thread's help.
    if (controller.currentParser()) {
      controller.currentParser()->setCancelFlag(true);
      controller.currentParser()->waitForFinished();
    }
  }

  // Scans and waits for the completion; returns the phases seen.
  QList<int> scan(const QString& root, QList<bool>* completions = nullptr) {
    QList<int> phases;
    QList<bool> done;
    controller.catalogue()->mediaTreeAsyncAtRootPath(
        root, [&phases](int phase, int) { phases.append(phase); }, [&done](bool ok) { done.append(ok); });
    EXPECT_TRUE(spinUntil([&] { return !done.isEmpty() && done.constLast(); }));
    if (completions != nullptr) *completions = done;
    return phases;
  }

  QTemporaryDir cache;
  Log log;
  FakeList normal, event;
  FakeTabs tab;
  FakePlayer front, rear;
  FakeSplit split;
  MediaController controller;
  test::WindowNews news{controller};
};

TEST_F(MediaControllerCatalogue, PublicationOrderAndRecents) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const QList<int> phases = scan(card.root());
  ASSERT_FALSE(phases.isEmpty());
  EXPECT_EQ(phases.constFirst(), 0);
  EXPECT_EQ(phases.constLast(), 3);
  EXPECT_TRUE(phases.contains(1));
  EXPECT_EQ(controller.catalogue()->mediaTree().size(), card.clips().size());
  EXPECT_TRUE(controller.catalogue()->hasSecondary());
  EXPECT_EQ(controller.catalogue()->mediaTreeNormal().size() + controller.catalogue()->mediaTreeEvent().size(), controller.catalogue()->mediaTree().size());
  const Log expected = {
      QStringLiteral("split.secondary 1"),
      QStringLiteral("front.reset"),
      QStringLiteral("rear.reset"),
      QStringLiteral("tab.active 1"),
      QStringLiteral("normal.reload %1/%2")
          .arg(controller.catalogue()->mediaTreeNormal().size())
          .arg(card.clips().size()),
      QStringLiteral("event.reload %1/%2")
          .arg(controller.catalogue()->mediaTreeEvent().size())
          .arg(card.clips().size()),
      QStringLiteral("tab.select 0"),
      QStringLiteral("normal.selectFirstItem"),
  };
  EXPECT_EQ(log, expected);
  EXPECT_EQ(RecentDocuments::recentDocumentPaths().value(0), QDir::cleanPath(card.root()));

  // A second scan replaces the catalogue, the first objects are gone from it.
  const DCFInfoPtr first = controller.catalogue()->mediaTree().constFirst();
  scan(card.root());
  EXPECT_EQ(controller.catalogue()->mediaTree().size(), card.clips().size());
  EXPECT_FALSE(controller.catalogue()->mediaTree().contains(first));
}

TEST_F(MediaControllerCatalogue, EventOnlyCardSelectsTheEventTab) {
  QTemporaryDir root;
  QDir(root.path()).mkpath(QStringLiteral("EVENT"));
  QFile(root.filePath(QStringLiteral("EVENT/F_20240101000000_20240101000100_E.MP4"))).open(QIODevice::WriteOnly);
  scan(root.path());
  EXPECT_TRUE(log.contains(QStringLiteral("tab.select 1")));
  EXPECT_TRUE(log.contains(QStringLiteral("event.selectFirstItem")));
  EXPECT_FALSE(log.contains(QStringLiteral("normal.selectFirstItem")));
  EXPECT_TRUE(log.contains(QStringLiteral("split.secondary 0")));
}

TEST_F(MediaControllerCatalogue, NotACardAndLockedReloads) {
  QTemporaryDir notACard;
  QDir(notACard.path()).mkpath(QStringLiteral("normal"));
  EXPECT_FALSE(CardScanner::mediaIsRynd(notACard.path()));
  QList<bool> completions;
  const QList<int> phases = scan(notACard.path(), &completions);
  EXPECT_EQ(phases, QList<int>{0});
  EXPECT_EQ(completions, QList<bool>{true});
  EXPECT_TRUE(log.isEmpty());

  // While a backup runs: "no" at once, then the scan still ends with "yes".
  const auto& card = test::sharedCard();
  controller.catalogue()->setCanReloadMedia(false);
  scan(card.root(), &completions);
  EXPECT_EQ(completions, (QList<bool>{false, true}));
  EXPECT_EQ(controller.catalogue()->mediaTree().size(), card.clips().size());
  EXPECT_FALSE(controller.catalogue()->mediaTreeSyncAtRootPath(std::nullopt));
  controller.catalogue()->setCanReloadMedia(true);

  log.clear();
  EXPECT_TRUE(controller.catalogue()->mediaTreeSyncAtRootPath(std::nullopt));
  EXPECT_TRUE(controller.catalogue()->mediaTree().isEmpty());
  EXPECT_TRUE(log.contains(QStringLiteral("tab.active 0")));
  EXPECT_TRUE(log.contains(QStringLiteral("front.load ")));
  EXPECT_TRUE(log.contains(QStringLiteral("rear.load ")));
}

TEST_F(MediaControllerCatalogue, SelectionLoadsPlayersAndStartsTheWalkOnce) {
  const auto& card = test::sharedCard();
  scan(card.root());
  const DCFInfoPtr second = controller.catalogue()->mediaTreeNormal().value(1);
  ASSERT_TRUE(second);
  log.clear();
  controller.catalogue()->updateCurrentDCF(second, RecordingCatalogue::kMediaListNormal, nullptr);
  EXPECT_EQ(controller.catalogue()->currentDCF(), second);
  EXPECT_TRUE(controller.listDidSelect());
  EXPECT_TRUE(log.contains(QStringLiteral("event.deselection")));
  const auto parser = controller.currentParser();
  ASSERT_TRUE(parser);

  // The front player's start plays it once; the rear follows muted.
  front.start();
  EXPECT_TRUE(front.playing);
  EXPECT_FALSE(controller.listDidSelect());
  rear.playing = true;
  log.clear();
  // (the rear's tick handler is the only one it got)
  controller.catalogue()->updateSelectedDCFs({second});
  EXPECT_TRUE(log.isEmpty());
  controller.catalogue()->updateSelectedDCFs(controller.catalogue()->mediaTree().mid(0, 2));
  EXPECT_TRUE(log.contains(QStringLiteral("front.pause")));
  EXPECT_EQ(controller.catalogue()->selectedDCFs().size(), 2);

  // The walk starts at the selection and tells of each parse once, then of its end.
  ASSERT_TRUE(spinUntil([&] { return news.walkEnds > 0; }));
  parser->waitForFinished();
  EXPECT_EQ(news.walkEnds, 1);
  EXPECT_FALSE(second->thumbnailPath().isEmpty());
  EXPECT_EQ(news.parsed.size(), controller.catalogue()->mediaTree().size());
  EXPECT_EQ(news.parsed.value(0), second);

  // Processed: selecting it again keeps the parser.
  controller.catalogue()->updateCurrentDCF(second, RecordingCatalogue::kMediaListNormal, nullptr);
  EXPECT_EQ(controller.currentParser(), parser);
}

TEST_F(MediaControllerCatalogue, MapSelectionsSwitchTabs) {
  const auto& card = test::sharedCard();
  scan(card.root());
  const DCFInfoPtr eventInfo = controller.catalogue()->mediaTreeEvent().value(0);
  ASSERT_TRUE(eventInfo);
  log.clear();
  tab.index = 0;
  controller.catalogue()->updateCurrentDCF(eventInfo, RecordingCatalogue::kMediaListMapEvent, nullptr);
  EXPECT_EQ(log, (Log{QStringLiteral("tab.select 1"), QStringLiteral("event.select ") + eventInfo->deltaPath(),
                      QStringLiteral("normal.deselection")}));
  log.clear();
  controller.catalogue()->updateCurrentDCF(controller.catalogue()->mediaTreeNormal().value(0), RecordingCatalogue::kMediaListMapNormal, nullptr);
  EXPECT_EQ(log.value(0), QStringLiteral("tab.select 0"));
  // The photo list changes nothing but the picture; a follower's choice is
  // loaded without touching the lists' selection.
  log.clear();
  controller.catalogue()->updateCurrentDCF(eventInfo, RecordingCatalogue::kMediaListPhoto, nullptr);
  EXPECT_TRUE(log.isEmpty());
  controller.catalogue()->updateCurrentDCF(eventInfo, RecordingCatalogue::kMediaListFollower, nullptr);
  EXPECT_EQ(controller.catalogue()->currentDCF(), eventInfo);
  EXPECT_FALSE(controller.listDidSelect());
  EXPECT_TRUE(log.contains(QStringLiteral("front.load ") + eventInfo->filePath()));
  for (const QString& line : log) {
    EXPECT_FALSE(line.startsWith(QStringLiteral("normal.")) || line.startsWith(QStringLiteral("event.")) ||
                 line.startsWith(QStringLiteral("tab.")))
        << line.toStdString();
  }
}

TEST_F(MediaControllerCatalogue, PictureWithoutRecordingIsDetached) {
  const auto& card = test::sharedCard();
  scan(card.root());
  const DCFInfoPtr owner = controller.catalogue()->mediaTree().value(0);
  QTemporaryDir dir;
  auto picture = std::make_shared<PictureInfo>(dir.path(), QStringLiteral("PICTURE/240101000000.JPG"));
  owner->appendPicture(picture);
  picture->setParentDCFInfo(owner);
  log.clear();
  controller.catalogue()->updateCurrentDCF(nullptr, RecordingCatalogue::kMediaListNormal, picture);
  EXPECT_EQ(controller.catalogue()->currentPicture(), picture);
  EXPECT_TRUE(owner->pictures().isEmpty());
  EXPECT_FALSE(picture->parentDCFInfo());
  EXPECT_EQ(news.alone.value(0), picture);
  EXPECT_TRUE(log.contains(QStringLiteral("front.image ") + picture->filePath()));
  EXPECT_TRUE(log.contains(QStringLiteral("front.pause")));

  // A damaged EXIF position off the Earth (found by fuzz_picture_exif) is no position.
  QDir(dir.path()).mkpath(QStringLiteral("PICTURE"));
  CustomLocation offEarth;
  offEarth.latitude = 40.7128;
  offEarth.longitude = -35026.5;
  QImage image(32, 18, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  ASSERT_TRUE(ImageCapture::writeJPEGFileWithCaptureImage(image, offEarth,
                                                          dir.filePath(QStringLiteral("PICTURE/240101000001.JPG"))));
  auto damaged = std::make_shared<PictureInfo>(
      dir.path(), QStringLiteral("PICTURE/240101000001.JPG"),
      PictureExif::locationWithImagePath(dir.filePath(QStringLiteral("PICTURE/240101000001.JPG"))));
  controller.catalogue()->updateCurrentDCF(nullptr, RecordingCatalogue::kMediaListNormal, damaged);
  ASSERT_EQ(news.alone.size(), 2);
  EXPECT_EQ(news.alone[1]->location().latitude, -999);
}

TEST_F(MediaControllerCatalogue, VolumeRenameReRootsAndRestartsTheWalk) {
  SampleCardOptions options;
  options.clips = 4;
  options.encodeVideos = false;
  test::TempCard card(options);
  ASSERT_TRUE(card.ok());
  scan(card.root());
  controller.catalogue()->updateCurrentDCF(controller.catalogue()->mediaTree().value(2), RecordingCatalogue::kMediaListNormal, nullptr);
  const auto before = controller.currentParser();

  // Not our card: nothing happens.
  controller.volumeRenameToPath(QStringLiteral("/elsewhere"), QStringLiteral("/other"));
  EXPECT_EQ(controller.currentParser(), before);

  // An export and a backup of the card are running under their sheet.
  QTemporaryDir out;
  controller.exportSelectedInfos(controller.catalogue()->mediaTree(), out.filePath(QStringLiteral("route.kml")), &normal);
  QList<BackUpItem> items;
  for (const auto& info : controller.catalogue()->mediaTree()) items.append(info);
  controller.backUpSelectedInfos(items, out.filePath(QStringLiteral("copy")), &normal);
  ASSERT_NE(controller.currentProgressVC(), nullptr);
  EXPECT_FALSE(controller.catalogue()->canReloadMedia());

  const QString renamed = card.root() + QStringLiteral("-renamed");
  ASSERT_TRUE(QDir().rename(card.root(), renamed));
  log.clear();
  controller.volumeRenameToPath(renamed, card.root());
  EXPECT_TRUE(before->cancelFlag());
  // Both jobs stop, their sheets go, and the card can be scanned again.
  EXPECT_FALSE(controller.tasks().isBusy());
  EXPECT_EQ(controller.currentProgressVC(), nullptr);
  EXPECT_EQ(log.count(QStringLiteral("normal.sheet.dismiss")), 2);
  EXPECT_TRUE(controller.catalogue()->canReloadMedia());
  // The cancelled jobs report nothing: wait for their threads.
  ASSERT_TRUE(spinUntil([] {
    return backgroundJobPool()->activeThreadCount() == 0 && QThreadPool::globalInstance()->activeThreadCount() == 0;
  }));
  QCoreApplication::processEvents();
  for (const auto& sheet : normal.sheets) EXPECT_FALSE(sheet->ended());
  EXPECT_NE(controller.currentParser(), before);
  for (const auto& info : controller.catalogue()->mediaTree()) {
    EXPECT_EQ(info->rootPath(), renamed);
    EXPECT_TRUE(info->filePath().startsWith(renamed));
  }
  ASSERT_TRUE(spinUntil([&] { return news.walkEnds > 0; }));
  controller.currentParser()->waitForFinished();
  QDir().rename(renamed, card.root());
}

TEST_F(MediaControllerCatalogue, DisposeDropsPanesAndStopsTheWalk) {
  const auto& card = test::sharedCard();
  scan(card.root());
  controller.reparseAtIndex(0);
  const auto parser = controller.currentParser();
  controller.dispose();
  EXPECT_TRUE(parser->cancelFlag());
  EXPECT_EQ(controller.playerVC(), nullptr);
  log.clear();
  parser->waitForFinished();
  QCoreApplication::processEvents();
  // Nothing reached the (now unknown) panes any more.
  EXPECT_TRUE(log.isEmpty());
}

TEST(MediaControllerCache, CleaningKeepsTheNewestThumbnails) {
  const QString directory = ThumbnailCache::cachesDirectoryPath();
  // One folder named after the program in the user's cache folder (the test
  // runner points XDG_CACHE_HOME at a scratch folder).
  EXPECT_EQ(directory, QDir(qEnvironmentVariable("XDG_CACHE_HOME")).filePath(QCoreApplication::applicationName()));
  ASSERT_TRUE(QDir(directory).exists());
  QFile(directory + QStringLiteral("/left-over.kmz")).open(QIODevice::WriteOnly);
  QFile(directory + QStringLiteral("/thumb.jpg")).open(QIODevice::WriteOnly);
  ThumbnailCache::cacheCleaning(directory, ConstClass::MAX_THUMB_CACHE);
  EXPECT_FALSE(QFile::exists(directory + QStringLiteral("/left-over.kmz")));
  EXPECT_TRUE(ThumbnailCache::cacheFiles(directory).contains(directory + QStringLiteral("/thumb.jpg")));
}

}  // namespace
}  // namespace dashcard
