#pragma once
// Time-lapse playback without a clock: playing or paused, frames per second, loop, and which
// time point comes next. A timer (or a test) calls Tick; time points count from 1.

#include <cstdint>

namespace lumetrix {

class TimePlayback {
 public:
  static constexpr double kMinFramesPerSecond = 0.5;
  static constexpr double kMaxFramesPerSecond = 60;

  bool Playing() const { return playing_; }
  // Starts from `current` of `count`; at the last time point without loop it starts again
  // from the first. Nothing plays with fewer than two time points.
  void Play(int32_t current, int32_t count);
  void Pause() { playing_ = false; }
  // Play or Pause, as the button and its shortcut do.
  void Toggle(int32_t current, int32_t count);

  double FramesPerSecond() const { return fps_; }
  // Throws InvalidViewValue outside kMinFramesPerSecond..kMaxFramesPerSecond (nothing changes).
  void SetFramesPerSecond(double fps);
  // The timer's interval: 1000 / fps, rounded to whole milliseconds.
  int IntervalMs() const;

  bool Loop() const { return loop_; }
  void SetLoop(bool on) { loop_ = on; }

  // The time point after `current` of `count`: the following one, after the last the first
  // with loop; 0 when there is none.
  int32_t Next(int32_t current, int32_t count) const;
  // What Tick would show now (0: nothing), without changing anything.
  int32_t Upcoming(int32_t current, int32_t count) const;
  // One tick while playing: the time point to show now, or 0 (paused, or nothing follows).
  // Reaching the last time point without loop pauses.
  int32_t Tick(int32_t current, int32_t count);

 private:
  bool playing_ = false;
  bool rewind_ = false;  // Play at the end without loop: the next tick shows the first
  bool loop_ = true;
  double fps_ = 5;
};

}  // namespace lumetrix
