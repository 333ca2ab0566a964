#include "core/playback/media_controller.h"
#include "core/playback/media_controller_manager.h"

#include "core/playback/playback_fakes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dashcard {
namespace {

using test::FakeList;
using test::FakePlayer;
using test::FakeTabs;
using test::utc;

QString clipName(const QDateTime& start, const char* suffix = "N") {
  const QString stamp = start.toString(QStringLiteral("yyyyMMddhhmmss"));
  return QStringLiteral("F_%1_%1_%2.MP4").arg(stamp, QLatin1String(suffix));
}

// One window's controller with fake panes.
struct Window {
  Window() : normal(&controller, RecordingCatalogue::kMediaListNormal), events(&controller, RecordingCatalogue::kMediaListEvent) {
    controller.setPlayerVC(&front);
    controller.setPlayerVCSecondary(&rear);
    controller.setPlayerVCs({&front, &rear});
    controller.setDcfListVC(&normal);
    controller.setEventVC(&events);
    controller.setTabVC(&tabs);
  }
  ~Window() {
    if (MediaControllerManager::sharedInstance()->masterController() == &controller) {
      MediaControllerManager::sharedInstance()->updateMasterController(nullptr);
    }
    controller.dispose();
  }
  void tick() { controller.progressAction(&front); }

  MediaController controller;
  FakePlayer front, rear;
  test::WindowNews news{controller};
  FakeList normal, events;
  FakeTabs tabs;
};

class MediaControllerPlaybackTest : public ::testing::Test {
 protected:
  // Three normal 60 s recordings starting 12:00, 12:01, 12:02 (file dates
  // one minute later) and one event recording.
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      const QDateTime start = utc(12, i, 0);
      recordings << files.add(QStringLiteral("NORMAL"), clipName(start), start.addSecs(60));
    }
    recordings << files.add(QStringLiteral("EVENT"), clipName(utc(12, 10, 0), "E"), utc(12, 11, 0));
  }
  void publish(Window& w) { w.controller.catalogue()->setMediaInfoWithRootPath(files.root(), recordings, {}); }

  test::NamedRecordings files;
  DCFInfoList recordings;
};

TEST_F(MediaControllerPlaybackTest, RearIsAlignedWithinATenthOfASecondWhilePlayingAndTenMillisecondsWhilePaused) {
  Window w;
  publish(w);
  w.front.playing = true;
  w.front.progressValue = 0.5F;
  // 0.1 s behind a playing front on a 60 s clip: left alone.
  w.rear.playing = true;
  w.rear.progressValue = 0.5F - 0.1F / 60.0F;
  w.rear.calls.clear();
  w.tick();
  EXPECT_TRUE(w.rear.seeks.isEmpty());
  // 0.4 s behind: a lag like that must not stay.
  w.rear.progressValue = 0.5F - 0.4F / 60.0F;
  w.tick();
  ASSERT_EQ(w.rear.seeks.size(), 1);
  EXPECT_EQ(w.rear.seeks.last(), 0.5F);
  w.rear.seeks.clear();
  // The same offset while the rear is paused: started and sought.
  w.rear.playing = false;
  w.rear.progressValue = 0.5F - 0.5F / 60.0F;
  w.rear.calls.clear();
  w.tick();
  ASSERT_EQ(w.rear.seeks.size(), 1);
  EXPECT_EQ(w.rear.seeks.last(), 0.5F);
  EXPECT_EQ(w.rear.calls.first(), QStringLiteral("play"));
  // 5 ms off while paused: within tolerance.
  w.front.playing = false;
  w.rear.playing = false;
  w.rear.progressValue = 0.5F + 0.005F / 60.0F;
  w.tick();
  EXPECT_EQ(w.rear.seeks.size(), 1);
  // 1.5 s ahead of a paused front while playing: paused and sought back.
  w.rear.playing = true;
  w.rear.progressValue = 0.5F + 1.5F / 60.0F;
  w.rear.calls.clear();
  w.tick();
  EXPECT_EQ(w.rear.calls, (QStringList{"pause", "seek 0.5"}));
  // The moment follows the front.
  EXPECT_EQ(w.news.moments.last().fraction, 0.5F);
}

// A rear player whose seeks land late, as a busy machine's do: its progress
// shows the target until the test lets the seek land.
class LatePlayer : public FakePlayer {
 public:
  bool isSeeking() const override { return seeking; }
  void setCurrentProgress(float p) override {
    FakePlayer::setCurrentProgress(p);
    seeking = true;
  }
  bool seeking = false;
};

TEST_F(MediaControllerPlaybackTest, ARearWhoseSeeksLandLateStillCatchesUp) {
  Window w;
  LatePlayer rear;
  w.controller.setPlayerVCSecondary(&rear);
  w.controller.setPlayerVCs({&w.front, &rear});
  publish(w);
  w.front.playing = rear.playing = true;
  w.front.progressValue = 0.1F;
  rear.progressValue = 0.1F - 0.4F / 60.0F;  // 400 ms behind
  // Each seek takes 0.4 s of playback; 10 ms ticks in between.
  constexpr float kTick = 0.01F / 60.0F;
  constexpr int kSeekTicks = 40;
  int seeks = 0;
  int ticksSinceSeek = 0;
  for (int i = 0; i < 2000; ++i) {
    w.front.progressValue += kTick;
    if (rear.seeking) {
      if (++ticksSinceSeek == kSeekTicks) {
        rear.seeking = false;  // landed where it was sent, 0.4 s late
        ticksSinceSeek = 0;
      }
    } else {
      rear.progressValue += kTick;
    }
    const int before = static_cast<int>(rear.seeks.size());
    w.tick();
    seeks += static_cast<int>(rear.seeks.size()) - before;
  }
  // In step at the end, after a few corrections, not one per second for ever.
  EXPECT_FALSE(rear.seeking);
  EXPECT_LT(std::fabs(w.front.progressValue - rear.progressValue) * 60.0F, 0.1F);
  EXPECT_LE(seeks, 4);
}

TEST_F(MediaControllerPlaybackTest, TickSetsDurationDateMapAndRate) {
  Window w;
  publish(w);
  w.controller.catalogue()->updateCurrentDCF(recordings[1], RecordingCatalogue::kMediaListNormal, nullptr);
  w.front.progressValue = 0.25F;  // 15 s of 60
  w.front.rate = 2.0;
  w.news.moments.clear();
  w.tick();
  EXPECT_EQ(recordings[1]->duration(), 60.0);
  EXPECT_EQ(w.controller.clock()->userDate(), utc(12, 1, 15));
  EXPECT_EQ(w.rear.rate, 2.0);
  EXPECT_EQ(w.controller.clock()->rate(), 2.0);
  // One moment per tick, with its recording, for the map, the graph and the lamps.
  ASSERT_EQ(w.news.moments.size(), 1);
  EXPECT_EQ(w.news.momentInfos[0], recordings[1]);
  EXPECT_EQ(w.news.moments[0].seconds, 15.0);
  EXPECT_EQ(w.news.moments[0].duration, 60.0);
  EXPECT_EQ(w.controller.clock()->moment().seconds, 15.0);
}

TEST_F(MediaControllerPlaybackTest, HeldSliderPausesBothOnEveryTick) {
  Window w;
  publish(w);
  w.controller.clock()->setHeldByUser(true);
  w.front.playing = w.rear.playing = true;
  w.front.progressValue = 0.7F;
  w.front.rate = 4.0;
  w.tick();
  EXPECT_FALSE(w.front.playing);
  EXPECT_FALSE(w.rear.playing);
  EXPECT_TRUE(w.rear.seeks.isEmpty());
  EXPECT_EQ(w.rear.rate, 1.0);  // no alignment of any kind while held
  // The slider itself seeks both players.
  w.controller.updateProgress(0.3F);
  EXPECT_EQ(w.front.seeks.last(), 0.3F);
  EXPECT_EQ(w.rear.seeks.last(), 0.3F);
}

TEST_F(MediaControllerPlaybackTest, StartHandlerGivesTheRearTheRateAndAListSelectionPlays) {
  Window w;
  publish(w);
  w.normal.select(recordings[0]);
  EXPECT_EQ(w.front.loadedPath, recordings[0]->filePath());
  EXPECT_EQ(w.rear.loadedPath, recordings[0]->secondaryFilePath());
  w.front.rate = 4.0;
  ASSERT_TRUE(w.front.willStartPlay);
  w.front.willStartPlay();
  EXPECT_EQ(w.rear.rate, 4.0);
  EXPECT_TRUE(w.front.playing);
  EXPECT_FALSE(w.controller.listDidSelect());
  // The rear's own tick: muted while the front plays, paused otherwise.
  w.rear.playing = true;
  w.rear.progressBlock();
  EXPECT_EQ(w.rear.calls.last(), QStringLiteral("mutePlay"));
  w.front.playing = false;
  w.rear.progressBlock();
  EXPECT_EQ(w.rear.calls.last(), QStringLiteral("pause"));
  const qsizetype calls = w.rear.calls.size();
  w.rear.progressBlock();  // a paused rear is left alone
  EXPECT_EQ(w.rear.calls.size(), calls);
}

TEST_F(MediaControllerPlaybackTest, EndOfTheLastRecordingWrapsToTheFirst) {
  Window w;
  publish(w);
  w.normal.select(recordings[2]);
  w.front.didStopPlaying();
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[0]);
  EXPECT_EQ(w.front.loadedPath, recordings[0]->filePath());
  EXPECT_TRUE(w.controller.listDidSelect());
  // An event recording continues in the event list.
  w.events.select(recordings[3]);
  w.front.didStopPlaying();
  EXPECT_EQ(w.events.nextRequests, 1);
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[3]);  // the only row
  // Handlers of a controller that is gone do nothing.
  auto handler = w.front.didStopPlaying;
  w.controller.dispose();
  handler();
}

// A drive through clips the walk found unplayable: they are passed by
// without being loaded; a list with nothing left to play stops and says so.
TEST_F(MediaControllerPlaybackTest, DriveSkipsClipsKnownUnplayable) {
  struct Case {
    const char* name;
    QList<int> unplayable;  // of the three normal rows
    int from;
    int expected;  // the row loaded next; -1: the drive stops
  } const cases[] = {
      {"the next is damaged", {1}, 0, 2},
      {"damaged up to the end: wraps", {2}, 1, 0},
      {"the first after a wrap", {0}, 2, 1},
      {"everything else damaged: the one left again", {1, 2}, 0, 0},
      {"all damaged", {0, 1, 2}, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Window w;
    publish(w);
    for (int i = 0; i < 3; ++i) recordings[i]->setDamageReason(c.unplayable.contains(i) ? QStringLiteral("No index") : QString(), c.unplayable.contains(i));
    w.normal.select(recordings[c.from]);
    w.front.calls.clear();
    w.front.didStopPlaying();
    QStringList loads = w.front.calls.filter(QStringLiteral("load "));
    if (c.expected < 0) {
      EXPECT_TRUE(loads.isEmpty());
      ASSERT_EQ(w.normal.stopReasons.size(), 1);
      EXPECT_TRUE(w.normal.stopReasons.first().contains(QStringLiteral("No index")));
      EXPECT_FALSE(w.front.playing);
    } else {
      EXPECT_EQ(loads, QStringList{"load " + recordings[c.expected]->filePath()});
      EXPECT_TRUE(w.normal.stopReasons.isEmpty());
    }
  }
  for (int i = 0; i < 3; ++i) recordings[i]->setDamageReason({}, false);
}

// Clips nobody knew to be damaged fail as they load: three in a row stop
// the drive with a reason; a clip that starts resets the count.
TEST_F(MediaControllerPlaybackTest, ThreeFailuresInARowStopTheDrive) {
  Window w;
  publish(w);
  w.normal.select(recordings[0]);
  w.front.playing = true;
  ASSERT_TRUE(w.front.didError);
  w.front.didError();
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[1]);
  w.front.willStartPlay();  // this one plays
  w.front.didError();
  w.front.didError();
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[0]);
  EXPECT_TRUE(w.normal.stopReasons.isEmpty());
  w.front.playing = true;
  w.front.calls.clear();
  w.front.didError();  // the third in a row
  ASSERT_EQ(w.normal.stopReasons.size(), 1);
  EXPECT_TRUE(w.normal.stopReasons.first().contains(QStringLiteral("3 recordings")));
  EXPECT_TRUE(w.front.calls.filter(QStringLiteral("load ")).isEmpty());
  EXPECT_FALSE(w.front.playing);
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[0]);
}

TEST_F(MediaControllerPlaybackTest, PicturesStopTheVideoAtTheirMomentOrStandAlone) {
  Window w;
  publish(w);
  auto picture = [&](const QString& name, const QDateTime& taken) {
    files.add(QStringLiteral("PICTURE"), name, taken);
    auto info = std::make_shared<PictureInfo>(files.root(), QStringLiteral("PICTURE/") + name);
    info->setParentDCFInfo(recordings[0]);
    recordings[0]->appendPicture(info);
    return info;
  };
  const auto inside = picture(QStringLiteral("000001.JPG"), utc(12, 0, 30));
  const auto after = picture(QStringLiteral("000002.JPG"), utc(12, 1, 5));

  w.controller.catalogue()->updateCurrentDCF(recordings[0], RecordingCatalogue::kMediaListNormal, inside);
  w.front.playing = true;
  w.tick();
  ASSERT_FALSE(w.front.seeks.isEmpty()) << inside->fileDate().toString(Qt::ISODateWithMs).toStdString() << " "
                                        << recordings[0]->startDate().toString(Qt::ISODateWithMs).toStdString() << " "
                                        << w.front.calls.join(QLatin1Char(',')).toStdString();
  EXPECT_EQ(w.front.seeks.last(), 0.5F);
  EXPECT_FALSE(w.front.playing);
  EXPECT_EQ(w.news.moments.last().fraction, 0.5F);
  EXPECT_EQ(w.news.moments.last().seconds, 30.0);
  EXPECT_EQ(w.controller.clock()->userDate(), utc(12, 0, 30));
  EXPECT_TRUE(w.rear.seeks.isEmpty());  // no rear alignment for a picture

  // Taken 5 s after the recording ended: shown alone and detached.
  w.controller.catalogue()->updateCurrentDCF(recordings[0], RecordingCatalogue::kMediaListNormal, after);
  w.tick();
  EXPECT_EQ(w.news.alone.value(0), after);
  EXPECT_EQ(after->parentDCFInfo(), nullptr);
  EXPECT_FALSE(recordings[0]->pictures().contains(after));
  EXPECT_TRUE(recordings[0]->pictures().contains(inside));
  // Shown over each recording's video, then alone.
  EXPECT_EQ(w.front.calls.filter(QStringLiteral("image")).size(), 3);

  // Before the item has a length nothing happens.
  w.front.length = 0.0;
  const qsizetype calls = w.front.calls.size();
  w.tick();
  EXPECT_EQ(w.front.calls.size(), calls);
}

TEST_F(MediaControllerPlaybackTest, FocusAndSelectedItems) {
  Window w;
  publish(w);
  w.normal.select(recordings[1]);
  w.tabs.index = 1;
  w.controller.focusCurrentDCF();
  EXPECT_EQ(w.tabs.index, 0);
  EXPECT_EQ(w.normal.focuses, 1);
  w.events.select(recordings[3]);
  const int changes = w.tabs.changes;
  w.tabs.index = 1;
  w.controller.focusCurrentDCF();
  EXPECT_EQ(w.tabs.changes, changes);  // already selected
  EXPECT_EQ(w.events.focuses, 1);

  w.normal.selected = {recordings[0], recordings[2]};
  w.events.selected = {recordings[3]};
  EXPECT_EQ(w.controller.getAllSelectedItems(), (DCFInfoList{recordings[0], recordings[2], recordings[3]}));
  w.normal.selected.clear();
  EXPECT_EQ(w.controller.getAllSelectedItems(), (DCFInfoList{recordings[3]}));
  EXPECT_EQ(w.controller.targetVCWithSourceVC(&w.front), &w.rear);
  EXPECT_EQ(w.controller.targetVCWithSourceVC(&w.rear), &w.front);
  w.controller.setPlayerVCs({&w.front});
  EXPECT_EQ(w.controller.targetVCWithSourceVC(&w.front), nullptr);
  w.tick();  // no rear: no crash
}

class MasterFollowerTest : public MediaControllerPlaybackTest {};

TEST_F(MasterFollowerTest, FollowerMatchesStrictlyInsideARecording) {
  Window follower;
  publish(follower);
  for (const auto& r : recordings) r->setDuration(60.0);
  // Publishing selected the first recording.
  ASSERT_EQ(follower.controller.catalogue()->currentDCF(), recordings[0]);
  const QStringList callsBefore = follower.front.calls;
  // 12:01:00 is exactly the file date of recording 0 and exactly one
  // duration before the file date of recording 1: neither matches.
  follower.controller.updateCurrentDate(utc(12, 1, 0));
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[0]);
  EXPECT_EQ(follower.front.calls, callsBefore);
  // Just inside each edge.
  follower.controller.updateCurrentDate(utc(12, 0, 59, 999));
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[0]);
  EXPECT_NEAR(follower.front.seeks.last(), 59.999 / 60.0, 1e-6);
  follower.controller.updateCurrentDate(utc(12, 1, 0, 1));
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[1]);
  EXPECT_NEAR(follower.front.seeks.last(), 0.001 / 60.0, 1e-7);
  // A new recording is loaded into both players, without starting them.
  EXPECT_EQ(follower.front.loadedPath, recordings[1]->filePath());
  EXPECT_EQ(follower.rear.loadedPath, recordings[1]->secondaryFilePath());
  EXPECT_FALSE(follower.controller.listDidSelect());
  EXPECT_FALSE(follower.front.playing);
  // A date no recording covers leaves the follower where it is.
  const qsizetype seeks = follower.front.seeks.size();
  follower.controller.updateCurrentDate(utc(13, 0, 0));
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[1]);
  EXPECT_EQ(follower.front.seeks.size(), seeks);
}

TEST_F(MasterFollowerTest, OverlapsUnknownDurationAndDrift) {
  Window w;
  publish(w);
  // Never played: treated as 180 s with fraction 0, so 12:01:30 lies in
  // recordings 1 and 2 (each ending less than 180 s later); the earlier one
  // in the catalogue wins.
  w.controller.updateCurrentDate(utc(12, 1, 30));
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[1]);
  EXPECT_EQ(w.front.seeks.last(), 0.0F);
  recordings[1]->setDuration(60.0);
  // This window's own position: 12:01:30.2 at rate 1 -> 0.2 s off, no seek.
  w.front.progressValue = 30.2F / 60.0F;
  w.tick();
  const qsizetype seeks = w.front.seeks.size();
  w.controller.updateCurrentDate(utc(12, 1, 30));
  EXPECT_EQ(w.front.seeks.size(), seeks);
  // 0.4 s off: sought to the master's fraction.
  w.controller.updateCurrentDate(utc(12, 1, 29, 800));
  ASSERT_EQ(w.front.seeks.size(), seeks + 1);
  EXPECT_FLOAT_EQ(w.front.seeks.last(), static_cast<float>(29.8 / 60.0));
  // At rate 8 the allowance is 2.4 s.
  w.front.rate = 8.0;
  w.controller.updateCurrentDate(utc(12, 1, 28));
  EXPECT_EQ(w.front.seeks.size(), seeks + 1);
  w.controller.updateCurrentDate(utc(12, 1, 27, 700));
  EXPECT_EQ(w.front.seeks.size(), seeks + 2);
  // While a backup or export runs, dates are ignored.
  w.controller.catalogue()->setCanReloadMedia(false);
  w.controller.updateCurrentDate(utc(12, 2, 30));
  EXPECT_EQ(w.controller.catalogue()->currentDCF(), recordings[1]);
}

TEST_F(MasterFollowerTest, MasterTickDrivesFollowersAndIsHeldAtEight) {
  Window master, follower;
  publish(master);
  publish(follower);
  for (const auto& r : recordings) r->setDuration(60.0);
  auto* manager = MediaControllerManager::sharedInstance();
  int changes = 0;
  MediaController* announced = nullptr;
  auto connection = QObject::connect(manager, &MediaControllerManager::masterControllerDidChange,
                                     [&](MediaController* m) {
                                       ++changes;
                                       announced = m;
                                     });
  manager->updateMasterController(&master.controller);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(announced, &master.controller);
  EXPECT_TRUE(master.controller.isMasterController());
  EXPECT_FALSE(follower.controller.isMasterController());

  master.normal.select(recordings[2]);
  master.front.progressValue = 0.5F;
  master.front.rate = 16.0;
  master.tick();  // 12:02:30 at 16x
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[2]);
  EXPECT_FLOAT_EQ(follower.front.seeks.last(), 0.5F);
  EXPECT_EQ(master.front.rate, 8.0);
  EXPECT_EQ(follower.front.rate, 8.0);
  // The master ignores its own date; a non-master's date is not posted.
  EXPECT_EQ(master.controller.catalogue()->currentDCF(), recordings[2]);
  const qsizetype followerSeeks = follower.front.seeks.size();
  follower.front.progressValue = 0.1F;
  follower.tick();
  master.front.progressValue = 0.5F;
  EXPECT_EQ(follower.front.seeks.size(), followerSeeks);
  manager->updateReferenceTime(utc(12, 0, 10), &follower.controller);
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[2]);
  manager->updateReferenceTime(QDateTime(), &master.controller);
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[2]);

  // A disposed window no longer follows.
  Window closed;
  publish(closed);
  closed.controller.dispose();
  master.normal.select(recordings[1]);
  master.tick();
  EXPECT_EQ(follower.controller.catalogue()->currentDCF(), recordings[1]);
  EXPECT_EQ(closed.controller.catalogue()->currentDCF(), recordings[0]);

  // Clearing is silent; a master that goes away leaves none.
  manager->updateMasterController(nullptr);
  EXPECT_EQ(changes, 1);
  {
    MediaController transient;
    manager->updateMasterController(&transient);
    EXPECT_EQ(changes, 2);
  }
  EXPECT_EQ(manager->masterController(), nullptr);
  QObject::disconnect(connection);
}

}  // namespace
}  // namespace dashcard
