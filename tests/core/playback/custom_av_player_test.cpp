#include "core/playback/custom_av_player.h"

#include "core/playback/playback_test_support.h"
#include "support/temp_card.h"

#include <QFile>
#include <QTemporaryDir>

#include <limits>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::sharedCard;
using test::spinUntil;

using test::headless;
using test::clipPath;

struct Recorder {
  explicit Recorder(CustomAVPlayer& player) {
    QObject::connect(&player, &CustomAVPlayer::loaded, [this] { ++loaded; });
    QObject::connect(&player, &CustomAVPlayer::endOfItem, [this] { ++ends; });
    QObject::connect(&player, &CustomAVPlayer::errorOccurred, [this](const QString& m) {
      ++errors;
      lastError = m;
    });
    QObject::connect(&player, &CustomAVPlayer::timeChanged, [this](double t) {
      ++ticks;
      last = t;
    });
  }
  int loaded = 0, ends = 0, errors = 0, ticks = 0;
  double last = -1;
  QString lastError;
};

TEST(CustomAVPlayerTest, LoadsPausedAndPlaysWithTicks) {
  ASSERT_TRUE(sharedCard().ok()) << sharedCard().error().toStdString();
  CustomAVPlayer player(headless());
  ASSERT_TRUE(player.isValid());
  Recorder rec(player);
  player.loadFile(clipPath(0));
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  EXPECT_NEAR(player.duration(), 3.0, 0.05);
  EXPECT_EQ(player.videoSize(), QSize(320, 180));
  EXPECT_FALSE(player.isPlaying());
  EXPECT_DOUBLE_EQ(player.position(), 0.0);

  // Paused: no ticks but the one after loading.
  const int ticksWhilePaused = rec.ticks;
  QCoreApplication::processEvents();
  EXPECT_FALSE(player.timeCallbackPending());
  EXPECT_EQ(rec.ticks, ticksWhilePaused);

  player.play();
  ASSERT_TRUE(spinUntil([&] { return player.position() > 0.3; }));
  EXPECT_GT(rec.ticks, ticksWhilePaused + 5);
  player.pause();
  const double stoppedAt = player.position();
  // The one call after pausing, then none.
  ASSERT_TRUE(spinUntil([&] { return !player.timeCallbackPending() && !player.isSeeking(); }));
  const int ticksAfterPause = rec.ticks;
  QCoreApplication::processEvents();
  EXPECT_NEAR(player.position(), stoppedAt, 0.05);
  EXPECT_EQ(rec.ticks, ticksAfterPause);
}

// mpv's auto-safe choice plays as software decoding does where no device
// decodes video (this machine: no GPU), and both name the decoder.
TEST(CustomAVPlayerTest, HardwareDecodingFallsBackToSoftware) {
  const bool device = QFile::exists(QStringLiteral("/dev/dri")) || QFile::exists(QStringLiteral("/dev/nvidia0"));
  for (const char* hwdec : {"no", "auto-safe"}) {
    SCOPED_TRACE(hwdec);
    CustomAVPlayer::Options options = headless();
    options.hwdec = QLatin1String(hwdec);
    CustomAVPlayer player(options);
    Recorder rec(player);
    EXPECT_EQ(player.decoderInUse(), "software");  // no item
    player.loadFile(clipPath(0));
    ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
    player.play();
    ASSERT_TRUE(spinUntil([&] { return player.position() > 0.3; }));
    EXPECT_EQ(rec.errors, 0);
    if (qstrcmp(hwdec, "no") == 0 || !device) {
      EXPECT_EQ(player.decoderInUse(), "software");
    }
  }
}

TEST(CustomAVPlayerTest, SeeksExactlyAndClampsToTheItem) {
  CustomAVPlayer player(headless());
  Recorder rec(player);
  // A seek asked for before the file is loaded lands once it is.
  player.loadFile(clipPath(1));
  player.seek(2.0);
  EXPECT_DOUBLE_EQ(player.position(), 2.0);
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  EXPECT_NEAR(player.position(), 2.0, 0.001);

  player.seek(-5.0);
  EXPECT_DOUBLE_EQ(player.position(), 0.0);
  player.seek(1e9);
  EXPECT_DOUBLE_EQ(player.position(), player.duration());
  player.seek(std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(player.position(), 0.0);
  player.seek(1.25);
  ASSERT_TRUE(spinUntil([&] { return !player.isSeeking(); }));
  EXPECT_NEAR(player.position(), 1.25, 0.04);
}

TEST(CustomAVPlayerTest, GrabbedFrameIsTheExactFrameOfThePosition) {
  CustomAVPlayer player(headless());
  Recorder rec(player);
  const QString path = clipPath(2);
  player.loadFile(path);
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  player.seek(1.5);  // frame 45 of a 30 fps clip
  QImage frame;
  ASSERT_TRUE(spinUntil([&] {
    frame = player.grabFrame();
    return !frame.isNull() && std::abs(player.position() - 1.5) < 0.001;
  }));
  ASSERT_TRUE(spinUntil([&] { return !player.isSeeking(); }));
  frame = player.grabFrame();
  ASSERT_EQ(frame.size(), QSize(320, 180));
  const QImage same = test::ffmpegFrame(path, 1.5, frame.size());
  const QImage next = test::ffmpegFrame(path, 1.5 + 1.0 / 30.0, frame.size());
  const QImage previous = test::ffmpegFrame(path, 1.5 - 1.0 / 30.0, frame.size());
  ASSERT_FALSE(same.isNull());
  ASSERT_FALSE(next.isNull());
  ASSERT_FALSE(previous.isNull());
  const double toSame = test::meanDifference(frame, same);
  const double toNext = test::meanDifference(frame, next);
  const double toPrevious = test::meanDifference(frame, previous);
  EXPECT_LT(toSame, 6.0);
  EXPECT_LT(toSame, toNext) << "same " << toSame << " next " << toNext;
  EXPECT_LT(toSame, toPrevious) << "same " << toSame << " previous " << toPrevious;
}

TEST(CustomAVPlayerTest, EndIsReportedOnceAndTheRateCarriesToTheNextItem) {
  CustomAVPlayer player(headless());
  Recorder rec(player);
  player.loadFile(clipPath(3));
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  player.seek(player.duration() - 0.3);
  player.play();
  ASSERT_TRUE(spinUntil([&] { return rec.ends == 1; }));
  EXPECT_TRUE(player.isPlaying());
  EXPECT_DOUBLE_EQ(player.position(), player.duration());
  // Standing at the end: no second report, also not after pausing and playing.
  ASSERT_TRUE(spinUntil([&] { return player.isAtEnd() && !player.timeCallbackPending(); }));
  player.pause();
  player.play();
  ASSERT_TRUE(spinUntil([&] { return !player.timeCallbackPending() && !player.isSeeking(); }));
  EXPECT_EQ(rec.ends, 1);

  // The next item plays by itself.
  player.loadFile(clipPath(4));
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 2; }));
  ASSERT_TRUE(spinUntil([&] { return player.position() > 0.2; }));
  EXPECT_EQ(rec.ends, 1);
}

TEST(CustomAVPlayerTest, PausedAtTheEndReportsOnPlay) {
  CustomAVPlayer player(headless());
  Recorder rec(player);
  player.loadFile(clipPath(0));
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  player.seek(player.duration());
  ASSERT_TRUE(spinUntil([&] { return player.isAtEnd(); }));
  EXPECT_EQ(rec.ends, 0);
  player.play();
  ASSERT_TRUE(spinUntil([&] { return rec.ends == 1; }));
}

TEST(CustomAVPlayerTest, BadFilesGiveAnErrorAndTheNextFileStillPlays) {
  QTemporaryDir dir;
  const QString junk = dir.filePath(QStringLiteral("F_junk 'quoted' ü.MP4"));
  {
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray bytes(64 * 1024, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 7919) & 0xff);
    file.write(bytes);
  }
  // A truncated copy of a real clip: header only.
  const QString truncated = dir.filePath(QStringLiteral("truncated.MP4"));
  {
    QFile source(clipPath(0));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QFile file(truncated);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(source.read(2000));
  }

  CustomAVPlayer player(headless());
  Recorder rec(player);
  player.play();
  for (const QString& bad : {junk, dir.filePath(QStringLiteral("missing.MP4")), truncated}) {
    const int before = rec.errors;
    player.loadFile(bad);
    ASSERT_TRUE(spinUntil([&] { return rec.errors == before + 1; })) << bad.toStdString();
    EXPECT_TRUE(player.hasError());
    EXPECT_FALSE(player.isLoaded());
    player.seek(1.0);  // ignored
    EXPECT_DOUBLE_EQ(player.position(), 0.0);
  }
  EXPECT_EQ(rec.loaded, 0);
  EXPECT_EQ(rec.ends, 0);

  player.loadFile(clipPath(5));
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  EXPECT_FALSE(player.hasError());
  ASSERT_TRUE(spinUntil([&] { return player.position() > 0.2; }));
}

TEST(CustomAVPlayerTest, ReplacingAnItemBeforeItLoadedLoadsOnlyTheLastOne) {
  CustomAVPlayer player(headless());
  Recorder rec(player);
  player.loadFile(clipPath(0));
  player.loadFile(clipPath(1));
  player.loadFile(clipPath(2, true));
  ASSERT_TRUE(spinUntil([&] { return rec.loaded >= 1; }));
  // mpv reports in order: whatever the replaced items sent came before.
  EXPECT_EQ(rec.loaded, 1);
  EXPECT_EQ(rec.errors, 0);
  EXPECT_EQ(player.path(), clipPath(2, true));
  // The rear clip is the smaller one.
  EXPECT_LT(player.videoSize().width(), 320);
}

TEST(CustomAVPlayerTest, SpeedAndVolumeSettings) {
  CustomAVPlayer player(headless());
  Recorder rec(player);
  player.loadFile(clipPath(0), 16.0);
  ASSERT_TRUE(spinUntil([&] { return rec.loaded == 1; }));
  EXPECT_DOUBLE_EQ(player.speed(), 16.0);
  player.play();
  // 3 s of file at 16x: the end comes quickly and is reported once.
  ASSERT_TRUE(spinUntil([&] { return rec.ends == 1; }, 5000));
  player.setSpeed(0.0);  // refused: stays a valid speed
  EXPECT_DOUBLE_EQ(player.speed(), 1.0);
  player.setVolume(3.0f);
  EXPECT_FLOAT_EQ(player.volume(), 1.0f);
  player.setVolume(-1.0f);
  EXPECT_FLOAT_EQ(player.volume(), 0.0f);
  player.setMuted(true);
  EXPECT_TRUE(player.isMuted());
}

}  // namespace
}  // namespace dashcard
