// Which fixes the map, the gauge, distances and events leave out.
#include "core/telemetry/gps_track_cleaner.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

namespace dashcard {
namespace {

// A car heading north at 20 m/s, one fix a second.
std::vector<TrackPoint> northbound(int count, bool times = true) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < count; ++i) {
    TrackPoint p;
    p.latitude = 35.0 + 20.0 * i / 111195.0;
    p.longitude = 139.0;
    p.speed = 20.0;
    p.utcMSecs = times ? 1'700'000'000'000 + i * 1000 : 0;
    p.valid = true;
    points.push_back(p);
  }
  return points;
}

struct Case {
  const char* name;
  std::function<void(std::vector<TrackPoint>&)> damage;
  std::set<int> positionDropped;
  std::set<int> speedDropped;  // besides the dropped positions
};

TEST(CleanTrack, DropsJumpsAndSpikesOnly) {
  const std::vector<Case> cases = {
      {"smooth drive", [](auto&) {}, {}, {}},
      {"two-kilometre jump for one second", [](auto& t) { t[5].latitude += 2000 / 111195.0; }, {5}, {}},
      {"jump at the first fix", [](auto& t) { t[0].longitude += 0.05; }, {0}, {}},
      {"jump at the last fix", [](auto& t) { t[9].longitude -= 0.05; }, {9}, {}},
      {"the track moves on for good (a tunnel's end): nothing dropped",
       [](auto& t) {
         for (std::size_t i = 5; i < t.size(); ++i) t[i].latitude += 0.05;
       },
       {}, {}},
      {"void fix", [](auto& t) { t[3].valid = false; }, {3}, {}},
      {"coordinate out of range", [](auto& t) { t[4].latitude = 123.0; }, {4}, {}},
      {"speed spike up", [](auto& t) { t[6].speed = 48.0; }, {}, {6}},
      {"speed drop to zero for a second", [](auto& t) { t[6].speed = 0.0; }, {}, {6}},
      {"impossible speed", [](auto& t) { t[2].speed = 120.0; }, {}, {2}},
      {"hard braking is real: 20 to 12 m/s in a second", [](auto& t) {
         for (std::size_t i = 6; i < t.size(); ++i) t[i].speed = 12.0;
       },
       {}, {}},
      {"unknown speed", [](auto& t) { t[7].speed = -1.0; }, {}, {7}},
  };
  for (bool times : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (times ? "" : " (fixes without time)"));
      std::vector<TrackPoint> track = northbound(10, times);
      c.damage(track);
      const CleanTrack clean = CleanTrack::of(track);
      ASSERT_EQ(clean.positionOk.size(), track.size());
      for (int i = 0; i < 10; ++i) {
        const bool positionGone = c.positionDropped.count(i) > 0;
        EXPECT_EQ(clean.positionOk[i], !positionGone) << "position " << i;
        EXPECT_EQ(clean.speedOk[i], !positionGone && c.speedDropped.count(i) == 0) << "speed " << i;
      }
    }
  }
}

TEST(CleanTrack, ShortAndEmptyTracks) {
  EXPECT_TRUE(CleanTrack::of({}).positionOk.empty());
  std::vector<TrackPoint> two = northbound(2);
  two[1].latitude += 1.0;  // which of two is wrong cannot be told: both stay
  const CleanTrack clean = CleanTrack::of(two);
  EXPECT_TRUE(clean.positionOk[0] && clean.positionOk[1]);
}

}  // namespace
}  // namespace dashcard
