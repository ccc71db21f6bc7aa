// libFuzzer target: keyframe files (.lkf), JSON anyone can edit. A file is refused with a message
// or gives a track whose keyframes are in order; that track reads back the same after a save,
// fits a two-channel volume or says why not, gives finite frames whose render options pass the
// viewer's checks, and becomes a script.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "viewer/animation/channel_keys.h"
#include "viewer/animation/keyframe_file.h"
#include "viewer/animation/keyframe_script.h"

namespace {

using namespace lumetrix;
using namespace lumetrix::animation;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckFrame(const KeyframeTrack& track, const DisplaySettings& shown, int32_t frame) {
  const FrameView v = track.At(frame);
  Require(std::isfinite(v.View.XRot) && std::isfinite(v.View.PosZ) && std::isfinite(v.View.Color[0]));
  // Between keyframes the viewer's own checks still pass: crop limits in order, levels, a plane
  // that is on has a normal.
  for (const KeyProperty& p : KeyProperties()) {
    if (!p.Check || (std::string_view(p.Name) == "ClipPlane" && !v.View.Clip.On)) continue;
    try {
      p.Check(v.View);
    } catch (const std::exception&) {
      Require(false);
    }
  }
  const DisplaySettings d = WithFrame(shown, v.Channels, v.TimePoint);
  Require(d.Channels.size() == shown.Channels.size() && d.TimePoint >= 1 && d.TimePoint <= 3);
  for (const ChannelDisplay& c : d.Channels) Require(c.Max > c.Min && c.Gamma > 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto track = ParseKeyframes(std::string(reinterpret_cast<const char*>(data), size), error);
  if (!track) {
    Require(!error.empty());
    return 0;
  }
  Require(!track->Keys.empty() && track->Keys.front().Frame >= 0 && track->Keys.back().Frame <= kMaxKeyFrame);
  for (size_t i = 1; i < track->Keys.size(); ++i) Require(track->Keys[i - 1].Frame < track->Keys[i].Frame);

  auto again = ParseKeyframes(KeyframesJson(*track), error);
  Require(again && again->Keys == track->Keys && again->Fps == track->Fps);

  DisplaySettings shown;
  shown.Channels = {{0, 255, 0, true, 0, 255, 1}, {255, 0, 255, true, 100, 4000, 0.8}};
  if (StartFrom(*track, shown, 3).empty()) {
    const int32_t last = track->FrameCount() - 1;
    for (int32_t frame : {0, last / 3, last / 2, last - 1, last}) CheckFrame(*track, shown, frame);
  }
  Require(!KeyframeScript(*track, "movie.mp4").empty());
  return 0;
}
