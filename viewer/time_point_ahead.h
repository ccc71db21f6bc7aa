#pragma once
// One time point made ready on a worker thread while another one shows: its 8-bit samples
// through the display settings (ShowChannels) and then the renderer's textures (PreparedVolume),
// so that showing it only uploads. One at a time keeps the memory to one time point ahead.

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "viewer/renderer.h"
#include "viewer/volume_data.h"

namespace lumetrix {

// What a prepared time point was made for: it is shown only while all of it still holds.
struct TimePointBuild {
  const void* Stack = nullptr;
  const Renderer* Drawer = nullptr;
  DisplaySettings Display;  // with the time point
  int32_t SliceStep = 0;
  float ScaleX = 0, ScaleY = 0, ScaleZ = 0;
  std::vector<uint8_t> Table;  // the palette's bytes; empty without one
  bool operator==(const TimePointBuild&) const = default;
};

class TimePointAhead {
 public:
  // Starts preparing `shown` at time point `t` (1..its time points; `shown` must keep a Stack,
  // which is shared) through `job`, planned by the renderer for `shown`.
  TimePointAhead(VolumeData& shown, int32_t t, std::unique_ptr<PreparedVolume> job);
  // Stops the worker at its next slice and waits for it.
  ~TimePointAhead();
  TimePointAhead(const TimePointAhead&) = delete;
  TimePointAhead& operator=(const TimePointAhead&) = delete;

  int32_t TimePoint() const { return volume_.Display.TimePoint; }
  // The worker has finished (with or without an error).
  bool Ready() const { return done_; }
  // Waits for the worker and rethrows what it raised; then Volume() is the volume at the time
  // point, Samples and ChannelMeans made, and Job() its prepared textures.
  void Wait();
  VolumeData& Volume() { return volume_; }
  TimePointBuild For;  // set by the viewer that started it
  PreparedVolume& Job() { return *job_; }

 private:
  VolumeData volume_;
  std::unique_ptr<PreparedVolume> job_;
  std::atomic<bool> stop_{false}, done_{false};
  std::exception_ptr error_;
  std::thread worker_;
};

}  // namespace lumetrix
