#include "core/playback/playback_clock.h"

#include "core/playback/playback_fakes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dashcard {
namespace {

using test::FakePlayer;
using test::utc;

// A rear player whose seeks land `lagSeconds` short of their target while it
// plays, as a slow seek of a playing player does.
class LaggingPlayer : public FakePlayer {
 public:
  void setCurrentProgress(float p) override {
    FakePlayer::setCurrentProgress(p);
    if (playing) progressValue = std::max(0.0F, progressValue - static_cast<float>(lagSeconds / length));
  }
  bool isSeeking() const override { return seeking; }
  double lagSeconds = 0.0;
  bool seeking = false;
};

TEST(PlaybackClock, FollowerConvergesAndThenStaysStill) {
  const struct {
    const char* name;
    bool playing;
    double rate;
    double startBehind;  // seconds
    double lag;          // seconds every seek of the playing follower lands short
  } cases[] = {
      {"paused, far apart", false, 1.0, 5.0, 0.0},
      {"playing, seeks exact", true, 1.0, 3.0, 0.0},
      {"playing, seeks 400 ms late", true, 1.0, 3.0, 0.4},
      {"playing 4x, seeks 800 ms late", true, 4.0, 10.0, 0.8},
      {"playing, follower ahead", true, 1.0, -2.0, 0.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PlaybackClock clock;
    FakePlayer front;
    LaggingPlayer rear;
    front.playing = rear.playing = c.playing;
    front.rate = rear.rate = c.rate;
    rear.lagSeconds = c.lag;
    front.progressValue = 0.5F;
    rear.progressValue = static_cast<float>(0.5 - c.startBehind / rear.length);
    const double tolerance = c.playing ? 0.05 + 0.1 * c.rate : 0.01;
    int ticks = 0;
    for (; ticks < 20; ++ticks) {
      clock.alignFollower(front, rear);
      if (std::fabs(static_cast<double>(front.progressValue - rear.progressValue) * rear.length) <= tolerance) break;
    }
    EXPECT_LT(ticks, 20) << "never converged";
    // Once in step, ticks seek no more.
    const qsizetype seeks = rear.seeks.size();
    for (int i = 0; i < 3; ++i) clock.alignFollower(front, rear);
    EXPECT_EQ(rear.seeks.size(), seeks);
    EXPECT_EQ(rear.playing, c.playing);
    EXPECT_LE(clock.followerLeadSeconds(), PlaybackClock::kMaxFollowerLead);
  }
}

TEST(PlaybackClock, SeekUnderWayAndRateAreRespected) {
  PlaybackClock clock;
  FakePlayer front;
  LaggingPlayer rear;
  front.progressValue = 0.5F;
  rear.seeking = true;
  clock.alignFollower(front, rear);
  EXPECT_TRUE(rear.seeks.isEmpty());  // its progress shows the target, not where it is
  rear.seeking = false;
  front.rate = 2.0;
  clock.alignFollower(front, rear);
  EXPECT_EQ(rear.seeks.size(), 1);
  EXPECT_EQ(rear.rate, 2.0);
}

TEST(PlaybackClock, RecordingAtADate) {
  test::NamedRecordings files;
  // File dates are the ends; the first one was played (60 s), the second not.
  const DCFInfoPtr played = files.add(QStringLiteral("NORMAL"), QStringLiteral("F_20240101120000_20240101120000_N.MP4"),
                                      utc(12, 1, 0));
  played->setDuration(60.0);
  const DCFInfoPtr unplayed = files.add(QStringLiteral("NORMAL"), QStringLiteral("F_20240101121000_20240101121000_N.MP4"),
                                        utc(12, 13, 0));
  const DCFInfoList recordings = {played, unplayed};
  const struct {
    QDateTime date;
    DCFInfoPtr found;
    float fraction;
  } cases[] = {
      {utc(12, 0, 0), nullptr, 0.0F},  // its start is not inside
      {utc(12, 0, 30), played, 0.5F},
      {utc(12, 0, 59, 999), played, 59.999F / 60.0F},
      {utc(12, 1, 0), nullptr, 0.0F},  // nor its end
      {utc(12, 10, 1), unplayed, 0.0F},  // assumed 180 s long, place unknown
      {utc(12, 9, 59), nullptr, 0.0F},
      {QDateTime(), nullptr, 0.0F},
  };
  for (const auto& c : cases) {
    float fraction = -1.0F;
    EXPECT_EQ(PlaybackClock::recordingAt(recordings, c.date, &fraction), c.found) << c.date.toString().toStdString();
    if (c.found) {
      EXPECT_NEAR(fraction, c.fraction, 1e-6) << c.date.toString().toStdString();
    }
  }
}

TEST(PlaybackClock, TickDatesThePrimaryPosition) {
  test::NamedRecordings files;
  const DCFInfoPtr info =
      files.add(QStringLiteral("NORMAL"), QStringLiteral("F_20240101120000_20240101120100_N.MP4"), utc(12, 1, 0));
  PlaybackClock clock;
  FakePlayer front;
  front.progressValue = 0.25F;
  int moments = 0;
  QObject::connect(&clock, &PlaybackClock::momentDidChange, [&moments](const TelemetryMoment&) { ++moments; });
  clock.tick(info, front);
  EXPECT_EQ(moments, 1);
  EXPECT_EQ(clock.moment().seconds, 15.0);
  ASSERT_TRUE(info->startDate().isValid());
  EXPECT_EQ(clock.userDate(), info->startDate().addSecs(15));
  clock.tick(nullptr, front);  // nothing to date it by
  EXPECT_EQ(moments, 2);
  EXPECT_EQ(clock.userDate(), QDateTime::fromMSecsSinceEpoch(0, Qt::UTC));
}

}  // namespace
}  // namespace dashcard
