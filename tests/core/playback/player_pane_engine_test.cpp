#include "core/playback/player_pane_engine.h"

#include "core/playback/playback_test_support.h"
#include "support/temp_card.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

namespace dashcard {
namespace {

using test::sharedCard;
using test::spinUntil;

using test::headless;
using test::clipPath;

TEST(PlayerPaneEngineRateTest, CyclesUpToTheCeilingAndBackToHalf) {
  const float outside[] = {0.5F, 1.0F, 2.0F, 4.0F, 8.0F, 16.0F, 0.5F};
  for (int i = 0; i + 1 < 7; ++i) EXPECT_EQ(PlayerPaneEngine::nextPlaybackRate(outside[i], false), outside[i + 1]);
  // Synchronised play stops at 8.
  EXPECT_EQ(PlayerPaneEngine::nextPlaybackRate(8.0F, true), 0.5F);
  EXPECT_EQ(PlayerPaneEngine::nextPlaybackRate(4.0F, true), 8.0F);
  // A player left at 16 by an unsynchronised window drops to 0.5 in one press.
  EXPECT_EQ(PlayerPaneEngine::nextPlaybackRate(16.0F, true), 0.5F);
  EXPECT_EQ(PlayerPaneEngine::nextPlaybackRate(0.0F, false), 1.0F);
}

struct Counts {
  int started = 0, ticks = 0, stopped = 0, errors = 0;
};

void load(PlayerPaneEngine& engine, const QString& path, Counts& counts) {
  engine.playWithPath(
      path, [&counts] { ++counts.started; }, [&counts] { ++counts.ticks; }, [&counts] { ++counts.stopped; },
      [&counts] { ++counts.errors; });
}

TEST(PlayerPaneEngineTest, RateTwoHalvesTheItemAndSilencesIt) {
  ASSERT_TRUE(sharedCard().ok());
  PlayerPaneEngine engine(headless());
  Counts counts;
  load(engine, clipPath(0), counts);
  ASSERT_TRUE(spinUntil([&] { return counts.started == 1; }));
  const double length = engine.originalTotalTime();
  EXPECT_NEAR(length, 3.0, 0.05);
  EXPECT_DOUBLE_EQ(engine.totalTime(), length);
  EXPECT_NE(engine.player()->mpvProperty("aid"), QStringLiteral("no"));

  engine.setCurrentProgress(0.5F);
  engine.updatePlaybackRate(2.0);
  // The rate change runs the start handler again, at the same fraction.
  EXPECT_EQ(counts.started, 2);
  EXPECT_FLOAT_EQ(engine.targetRate(), 2.0F);
  EXPECT_DOUBLE_EQ(engine.totalTime(), length / 2.0);
  EXPECT_DOUBLE_EQ(engine.originalTotalTime(), length);
  EXPECT_NEAR(engine.progress(), 0.5F, 1e-4);
  EXPECT_NEAR(engine.currentTime(), length / 4.0, 1e-3);
  EXPECT_DOUBLE_EQ(engine.originalCurrentTime(), static_cast<double>(engine.progress()) * length);
  EXPECT_EQ(engine.player()->mpvProperty("aid"), QStringLiteral("no"));

  // Back at 1 the sound returns; reset returns the rate to 1.
  engine.updatePlaybackRate(1.0);
  EXPECT_NE(engine.player()->mpvProperty("aid"), QStringLiteral("no"));
  engine.updatePlaybackRate(16.0);
  EXPECT_EQ(engine.player()->mpvProperty("vd-lavc-skipframe"), QStringLiteral("nonkey"));
  engine.resetZoomPlayerView();
  EXPECT_FLOAT_EQ(engine.targetRate(), 1.0F);
}

TEST(PlayerPaneEngineTest, OnlyThePrimaryPlayerIsHeardOnEveryLoad) {
  for (const bool primary : {false, true}) {
    PlayerPaneEngine engine(headless());
    engine.setPrimaryPlayer(primary);
    for (int clip : {0, 1}) {
      Counts counts;
      load(engine, clipPath(clip), counts);
      ASSERT_TRUE(spinUntil([&] { return counts.started == 1; }));
      EXPECT_FLOAT_EQ(engine.player()->volume(), primary ? 1.0F : 0.0F) << "primary " << primary << " clip " << clip;
    }
  }
}

TEST(PlayerPaneEngineTest, ProgressIsClampedToTheItem) {
  PlayerPaneEngine engine(headless());
  Counts counts;
  load(engine, clipPath(1), counts);
  // Asked for before the item is loaded: applied when it is.
  engine.setCurrentProgress(0.25F);
  ASSERT_TRUE(spinUntil([&] { return counts.started == 1; }));
  EXPECT_NEAR(engine.progress(), 0.25F, 1e-4);
  engine.setCurrentProgress(1.3F);
  EXPECT_FLOAT_EQ(engine.progress(), 1.0F);
  EXPECT_NEAR(engine.player()->position(), engine.originalTotalTime(), 1e-6);
  engine.setCurrentProgress(-0.2F);
  EXPECT_FLOAT_EQ(engine.progress(), 0.0F);
  EXPECT_DOUBLE_EQ(engine.player()->position(), 0.0);
  engine.setCurrentProgress(std::numeric_limits<float>::quiet_NaN());
  EXPECT_FLOAT_EQ(engine.progress(), 0.0F);
}

TEST(PlayerPaneEngineTest, EndRunsTheStopHandlerOnceAndTheRateButtonNeedsAnItem) {
  PlayerPaneEngine engine(headless());
  Counts counts;
  EXPECT_FALSE(engine.incrementPlaybackRate(false));
  EXPECT_FLOAT_EQ(engine.targetRate(), 1.0F);
  load(engine, clipPath(2), counts);
  ASSERT_TRUE(spinUntil([&] { return counts.started == 1; }));
  EXPECT_TRUE(engine.incrementPlaybackRate(false));
  EXPECT_FLOAT_EQ(engine.targetRate(), 2.0F);
  engine.setCurrentProgress(0.8F);
  engine.play();
  ASSERT_TRUE(spinUntil([&] { return counts.stopped == 1; }));
  // Standing at the end nothing more comes: no second stop.
  ASSERT_TRUE(spinUntil([&] { return engine.player()->isAtEnd() && !engine.player()->timeCallbackPending(); }));
  EXPECT_EQ(counts.stopped, 1);
  EXPECT_GT(counts.ticks, 1);
  EXPECT_FLOAT_EQ(engine.progress(), 1.0F);
}

TEST(PlayerPaneEngineTest, CorruptAndMissingFiles) {
  QTemporaryDir dir;
  const QString junk = dir.filePath(QStringLiteral("F_20240101120000_20240101120300_N.MP4"));
  {
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
  }
  PlayerPaneEngine engine(headless());
  int errorSignals = 0;
  QObject::connect(&engine, &PlayerPaneEngine::errorChanged, [&](bool e) { errorSignals += e ? 1 : 0; });
  Counts counts;
  load(engine, junk, counts);
  ASSERT_TRUE(spinUntil([&] { return counts.errors == 1; }));
  EXPECT_TRUE(engine.playerIsError());
  EXPECT_TRUE(engine.playerIsActive());
  EXPECT_EQ(counts.started, 0);
  EXPECT_EQ(errorSignals, 1);
  EXPECT_FALSE(engine.incrementPlaybackRate(false));

  // A missing file: inactive, no error reported.
  load(engine, dir.filePath(QStringLiteral("gone.MP4")), counts);
  EXPECT_FALSE(engine.playerIsActive());
  EXPECT_FALSE(engine.playerIsError());
  load(engine, QString(), counts);
  EXPECT_FALSE(engine.playerIsActive());
  // Dropped items report nothing later.
  QCoreApplication::processEvents();
  EXPECT_EQ(counts.errors, 1);

  // The next clip plays.
  load(engine, clipPath(3), counts);
  ASSERT_TRUE(spinUntil([&] { return counts.started == 1; }));
  EXPECT_FALSE(engine.playerIsError());
  engine.play();
  ASSERT_TRUE(spinUntil([&] { return engine.progress() > 0.1F; }));
}

TEST(PlayerPaneEngineTest, StillPictures) {
  QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("photo ü.jpg"));
  QImage image(64, 36, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(picture));
  const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
  {
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xff\xd8 not really");
  }
  PlayerPaneEngine engine(headless());
  engine.showImageWithPath(picture);
  EXPECT_TRUE(engine.pictureIsActive());
  EXPECT_TRUE(engine.playerIsActive());
  EXPECT_EQ(engine.picture().size(), QSize(64, 36));
  engine.showImageWithPath(broken);
  EXPECT_FALSE(engine.pictureIsActive());
  EXPECT_FALSE(engine.playerIsActive());
  EXPECT_TRUE(engine.picture().isNull());
  engine.showImageWithPath(QString());
  EXPECT_FALSE(engine.pictureIsActive());
}

}  // namespace
}  // namespace dashcard
