// The time-lapse playback model, driven by ticks: the time points shown in order, with and
// without loop, and the checked speed.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/view_value.h"
#include "viewer/time_playback.h"

namespace lumetrix {
namespace {

TEST(TimePlayback, TicksShowTheTimePointsInOrderAndStopAtTheEndWithoutLoop) {
  struct Case {
    int32_t start, count;
    bool loop;
    std::vector<int32_t> shown;  // what each tick shows (0: nothing), worked by hand
    bool playing_after;
  };
  const Case cases[] = {
      {1, 3, true, {2, 3, 1, 2, 3, 1}, true},    // loop: after 3 comes 1
      {1, 3, false, {2, 3, 0, 0}, false},        // pauses on reaching 3
      {3, 3, false, {1, 2, 3, 0}, false},        // Play at the end starts again from 1
      {3, 3, true, {1, 2}, true},                // loop from the end
      {2, 4, false, {3, 4, 0}, false},
      {1, 1, true, {0, 0}, false},               // one time point: nothing plays
      {1, 2, true, {2, 1, 2}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.start << " of " << c.count << (c.loop ? " loop" : ""));
    TimePlayback p;
    p.SetLoop(c.loop);
    p.Play(c.start, c.count);
    int32_t current = c.start;
    std::vector<int32_t> shown;
    for (size_t i = 0; i < c.shown.size(); ++i) {
      const int32_t upcoming = p.Upcoming(current, c.count);
      const int32_t t = p.Tick(current, c.count);
      EXPECT_EQ(upcoming, t) << i;  // Upcoming tells what the tick then shows
      shown.push_back(t);
      if (t) current = t;
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(p.Playing(), c.playing_after);
  }
}

TEST(TimePlayback, PauseAndToggleStopTheTicksAndNextIsWithoutPlaying) {
  TimePlayback p;
  p.Toggle(1, 5);
  EXPECT_EQ(p.Tick(1, 5), 2);
  p.Toggle(2, 5);
  EXPECT_EQ(p.Tick(2, 5), 0);
  p.SetLoop(false);
  EXPECT_EQ(std::vector<int32_t>({p.Next(4, 5), p.Next(5, 5), p.Next(1, 1)}), std::vector<int32_t>({5, 0, 0}));
}

TEST(TimePlayback, FramesPerSecondAreCheckedAndGiveTheTimersInterval) {
  // Interval = round(1000 / fps): 2000, 1000/60 = 16.67 -> 17, 1000/24 = 41.67 -> 42, 200.
  for (auto [fps, ms] : {std::pair{0.5, 2000}, {60.0, 17}, {24.0, 42}, {5.0, 200}}) {
    TimePlayback p;
    p.SetFramesPerSecond(fps);
    EXPECT_EQ(p.IntervalMs(), ms) << fps;
  }
  TimePlayback p;
  p.SetFramesPerSecond(10);
  for (double bad : {0.49, 60.01, 0.0, -5.0, std::nan("")}) {
    EXPECT_THROW(p.SetFramesPerSecond(bad), InvalidViewValue) << bad;
    EXPECT_EQ(p.FramesPerSecond(), 10) << bad;  // refused values change nothing
  }
}

}  // namespace
}  // namespace lumetrix
