#include "viewer/animation/keyframe_track.h"

#include <algorithm>
#include <cmath>

#include "viewer/animation/channel_keys.h"

namespace lumetrix::animation {

int32_t KeyframeTrack::FrameCount() const { return Keys.empty() ? 0 : Keys.back().Frame + 1; }

double Change(const KeyProperty& p, int i, const Keyframe& from, const Keyframe& to) {
  double d = static_cast<double>(p.Get(to.View, i)) - static_cast<double>(p.Get(from.View, i));
  if (p.Blending == Blend::Angle && !to.FullTurn) {
    d = std::fmod(d, 360.0);
    if (d > 180) d -= 360;
    if (d <= -180) d += 360;
  }
  return d;
}

bool Blends(const KeyProperty& p, int i, const Keyframe& from, const Keyframe& to) {
  if (p.Blending == Blend::Step) return false;
  if (p.Blending == Blend::Level) return p.Get(from.View, i) != kIsoMiddle && p.Get(to.View, i) != kIsoMiddle;
  return true;
}

double Progress(int32_t f, const Keyframe& from, const Keyframe& to) {
  // The same operations, in the same order, as the script "Save as script" writes.
  double t = static_cast<double>(f - from.Frame) / static_cast<double>(to.Frame - from.Frame);
  if (to.Easing == Ease::InOut) t = t * t * (3 - 2 * t);
  return t;
}

FrameView KeyframeTrack::At(int32_t frame) const {
  const auto after = std::upper_bound(Keys.begin(), Keys.end(), frame,
                                      [](int32_t f, const Keyframe& k) { return f < k.Frame; });
  const Keyframe& from = after == Keys.begin() ? Keys.front() : *(after - 1);
  FrameView out{from.View, from.Palette, from.Channels, from.TimePoint};
  out.View.ResetSpeedParameters();
  if (after == Keys.begin() || after == Keys.end() || frame == from.Frame) return out;
  const Keyframe& to = *after;
  const double t = Progress(frame, from, to);
  for (const KeyProperty& p : KeyProperties()) {
    if (p.Blending == Blend::Step) continue;
    for (int i = 0; i < p.Components; ++i)
      if (Blends(p, i, from, to))
        p.Set(out.View, i, static_cast<float>(static_cast<double>(p.Get(from.View, i)) + Change(p, i, from, to) * t));
  }
  BlendChannels(from, to, t, out.Channels, out.TimePoint);
  return out;
}

void KeyframeTrack::Put(const Keyframe& key) {
  const auto at = std::lower_bound(Keys.begin(), Keys.end(), key.Frame,
                                   [](const Keyframe& k, int32_t f) { return k.Frame < f; });
  if (at != Keys.end() && at->Frame == key.Frame)
    *at = key;
  else
    Keys.insert(at, key);
}

bool NormalPassesZero(const ViewState& from, const ViewState& to) {
  if (!from.Clip.On) return false;
  const auto &a = from.Clip.Plane, &b = to.Clip.Plane;
  const double cross[3] = {double(a[1]) * b[2] - double(a[2]) * b[1], double(a[2]) * b[0] - double(a[0]) * b[2],
                           double(a[0]) * b[1] - double(a[1]) * b[0]};
  const double dot = double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
  return cross[0] == 0 && cross[1] == 0 && cross[2] == 0 && dot < 0;
}


std::string PlaneTurnError(const KeyframeTrack& track) {
  for (size_t k = 1; k < track.Keys.size(); ++k)
    if (NormalPassesZero(track.Keys[k - 1].View, track.Keys[k].View))
      return "Keyframe " + std::to_string(k + 1) + " (frame " + std::to_string(track.Keys[k].Frame) +
             "): the clipping plane's normal turns through zero on the way from the keyframe before; put a "
             "keyframe in between";
  return "";
}

void FitCropTo(KeyframeTrack& track, const std::array<int32_t, 3>& voxels) {
  for (Keyframe& key : track.Keys)
    for (size_t a = 0; a < 3; ++a) {
      const float last = static_cast<float>(std::max(voxels[a], 1) - 1);
      for (size_t end = 0; end < 2; ++end) {
        float& limit = key.View.Crop.Limits[2 * a + end];
        limit = std::min(limit, last);
      }
    }
}

}  // namespace lumetrix::animation
