#include "viewer/time_playback.h"

#include <cmath>
#include <string>

#include "core/view_value.h"

namespace lumetrix {

void TimePlayback::Play(int32_t current, int32_t count) {
  if (count < 2) return;
  playing_ = true;
  rewind_ = !loop_ && current >= count;
}

void TimePlayback::Toggle(int32_t current, int32_t count) {
  if (playing_)
    Pause();
  else
    Play(current, count);
}

void TimePlayback::SetFramesPerSecond(double fps) {
  if (!(fps >= kMinFramesPerSecond && fps <= kMaxFramesPerSecond))
    throw InvalidViewValue("Frames per second run from 0.5 to 60.");
  fps_ = fps;
}

int TimePlayback::IntervalMs() const { return static_cast<int>(std::lround(1000.0 / fps_)); }

int32_t TimePlayback::Next(int32_t current, int32_t count) const {
  if (count < 2) return 0;
  if (current < count) return current + 1;
  return loop_ ? 1 : 0;
}

int32_t TimePlayback::Upcoming(int32_t current, int32_t count) const {
  if (!playing_ || count < 2) return 0;
  return rewind_ ? 1 : Next(current, count);
}

int32_t TimePlayback::Tick(int32_t current, int32_t count) {
  if (!playing_) return 0;
  const int32_t next = Upcoming(current, count);
  rewind_ = false;
  if (next == 0 || (next == count && !loop_)) playing_ = false;
  return next;
}

}  // namespace lumetrix
