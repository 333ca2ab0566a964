// The window's clock with real players (mpv without pictures or sound) on
// short generated clips.
#include "core/playback/media_controller.h"
#include "core/playback/player_pane_engine.h"

#include "core/playback/playback_fakes.h"
#include "core/playback/playback_test_support.h"
#include "support/temp_card.h"

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::spinUntil;

using test::headless;
// The normal recordings of the shared card copied into a folder of their
// own, so a test may spoil one.
class RealWindow {
 public:
  RealWindow()
      : front(headless()), rear(headless()), normal(&controller, RecordingCatalogue::kMediaListNormal),
        events(&controller, RecordingCatalogue::kMediaListEvent) {
    const auto& card = test::sharedCard();
    EXPECT_TRUE(card.ok());
    QDir(dir.path()).mkpath(QStringLiteral("NORMAL"));
    for (const auto& clip : card.clips()) {
      if (clip.folder != QLatin1String("NORMAL")) continue;
      QFile::copy(card.path(clip.frontPath), dir.filePath(clip.frontPath));
      QFile::copy(card.path(clip.rearPath), dir.filePath(clip.rearPath));
      auto info = std::make_shared<DCFInfo>(dir.path(), clip.frontPath);
      info->setThumbnailPath(QStringLiteral("done"));
      recordings << info;
    }
    front.setPrimaryPlayer(true);
    controller.setPlayerVC(&front);
    controller.setPlayerVCSecondary(&rear);
    controller.setPlayerVCs({&front, &rear});
    controller.setDcfListVC(&normal);
    controller.setEventVC(&events);
    controller.setTabVC(&tabs);
  }
  ~RealWindow() { controller.dispose(); }

  void publish() { controller.catalogue()->setMediaInfoWithRootPath(dir.path(), recordings, {}); }

  QTemporaryDir dir;
  DCFInfoList recordings;
  MediaController controller;
  PlayerPaneEngine front, rear;
  test::FakeList normal, events;
  test::FakeTabs tabs;
};

TEST(MediaControllerRealPlayerTest, FrontAndRearPlayInStepAndTheDriveWrapsAround) {
  RealWindow w;
  ASSERT_EQ(w.recordings.size(), 4);
  w.publish();
  // The list selection loads the first recording and starts it.
  ASSERT_TRUE(spinUntil([&] { return w.front.isPlaying() && w.front.progress() > 0.1F; }));
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), w.recordings[0]);
  EXPECT_NEAR(w.recordings[0]->duration(), 3.0, 0.05);
  // The rear follows: playing, silent, within the 1 s allowance.
  ASSERT_TRUE(spinUntil([&] { return w.rear.isPlaying(); }));
  EXPECT_FLOAT_EQ(w.rear.player()->volume(), 0.0F);
  ASSERT_TRUE(spinUntil([&] { return w.rear.originalCurrentTime() > 0.3; }));
  EXPECT_LT(std::abs(w.front.originalCurrentTime() - w.rear.originalCurrentTime()), 1.0);
  EXPECT_EQ(w.controller.clock()->userDate(),
            w.recordings[0]->startDate().addMSecs(std::llround(w.front.originalCurrentTime() * 1000)));

  // The last recording's end starts the first one again.
  w.normal.select(w.recordings[3]);
  ASSERT_TRUE(spinUntil([&] { return w.front.player()->isLoaded() && w.front.originalTotalTime() > 0; }));
  w.controller.updateProgress(0.85F);
  ASSERT_TRUE(spinUntil([&] { return w.controller.catalogue()->currentDCF() == w.recordings[0]; }));
  ASSERT_TRUE(spinUntil([&] { return w.front.isPlaying() && w.front.progress() > 0.05F; }));
  EXPECT_EQ(w.normal.nextRequests, 1);
}

TEST(MediaControllerRealPlayerTest, PausedFrontStopsTheRearAndRatesFollow) {
  RealWindow w;
  w.publish();
  ASSERT_TRUE(spinUntil([&] { return w.rear.isPlaying(); }));
  w.front.pause();
  // Within a tick of the front stopping, the rear stops and is kept within 10 ms.
  ASSERT_TRUE(spinUntil([&] { return !w.rear.isPlaying(); }));
  // The next tick of the paused front brings the paused rear within 10 ms.
  w.controller.progressAction(&w.front);
  ASSERT_TRUE(spinUntil([&] {
    return !w.rear.player()->isSeeking() &&
           std::abs(w.front.originalCurrentTime() - w.rear.originalCurrentTime()) < 0.011;
  }));
  // A rate change on the front reaches the rear through the start handler.
  ASSERT_TRUE(w.front.incrementPlaybackRate(false));
  EXPECT_EQ(w.rear.playbackRate(), 2.0);
  EXPECT_DOUBLE_EQ(w.rear.totalTime(), w.rear.originalTotalTime() / 2.0);
}

TEST(MediaControllerRealPlayerTest, AnUnplayableClipIsSkippedAndTheNextOnePlays) {
  RealWindow w;
  {
    QFile spoiled(w.recordings[1]->filePath());
    ASSERT_TRUE(spoiled.open(QIODevice::WriteOnly | QIODevice::Truncate));
    spoiled.write(QByteArray(10000, '\x17'));
  }
  w.publish();
  ASSERT_TRUE(spinUntil([&] { return w.front.isPlaying(); }));
  w.controller.updateProgress(0.9F);
  // Recording 1 fails to open: the front shows its error and the drive goes on.
  ASSERT_TRUE(spinUntil([&] { return w.controller.catalogue()->currentDCF() == w.recordings[2]; }));
  ASSERT_TRUE(spinUntil([&] { return w.front.isPlaying() && w.front.progress() > 0.05F; }));
  EXPECT_FALSE(w.front.playerIsError());
  EXPECT_EQ(w.normal.nextRequests, 2);
}

TEST(MediaControllerRealPlayerTest, AListOfOnlyUnplayableClipsStops) {
  RealWindow w;
  for (const auto& info : w.recordings) {
    QFile spoiled(info->filePath());
    ASSERT_TRUE(spoiled.open(QIODevice::WriteOnly | QIODevice::Truncate));
    spoiled.write("junk");
  }
  w.publish();
  // Three failures in a row stop the drive, and the list says why.
  ASSERT_TRUE(spinUntil([&] { return w.controller.catalogue()->currentDCF() == w.recordings[2] && w.normal.stopReasons.size() == 1; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(w.normal.nextRequests, 2);  // no endless cycling
  EXPECT_TRUE(w.front.playerIsError());
}

}  // namespace
}  // namespace dashcard
