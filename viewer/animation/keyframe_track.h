#pragma once
// A keyframe animation: keyframes in ascending frame order, the movie's frame rate and size,
// and the view of every frame in between. Frames before the first keyframe show it; the movie
// ends at the last keyframe. The view of a frame is computed from its two keyframes only, so it
// costs the same for frame 1 and frame 1000.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/animation/keyframe.h"
#include "viewer/animation/keyframe_properties.h"

namespace lumetrix::animation {

struct FrameView {
  ViewState View;
  std::string Palette;
  std::vector<ChannelKey> Channels;  // the parts given are shown; the rest stay as they are
  int32_t TimePoint = 0;             // 0: as it is
};

struct KeyframeTrack {
  double Fps = 25;
  int32_t Width = 640;
  int32_t Height = 480;
  std::vector<Keyframe> Keys;
  // False for a keyframe file that never sets the transparency: the opened volume's own start
  // transparency (which depends on its depth) then holds.
  bool TransparencyGiven = true;

  // Last keyframe's frame + 1; 0 without keyframes.
  int32_t FrameCount() const;
  // The view of `frame` (speeds 0). Needs at least one keyframe. Channel parts and the time
  // point blend only between keyframes that both give them (see StartFrom).
  FrameView At(int32_t frame) const;
  // Inserts a keyframe in frame order; one at the same frame is replaced.
  void Put(const Keyframe& key);
};

// The change of component `i` of `p` from keyframe `from` to `to`: the plain difference, or for
// angles without FullTurn on `to` the shortest one, -180 < d <= 180.
double Change(const KeyProperty& p, int i, const Keyframe& from, const Keyframe& to);
// Whether component `i` of `p` changes frame by frame from `from` to `to`; else `from`'s value
// holds until `to`.
bool Blends(const KeyProperty& p, int i, const Keyframe& from, const Keyframe& to);
// How far along a segment frame `f` is, 0..1, after `to`'s easing.
double Progress(int32_t f, const Keyframe& from, const Keyframe& to);

// Crop limits beyond the last voxel of a volume of `voxels` (x, y, z) brought to it, so that a
// crop from the whole volume (kCropToEnd) closes in evenly over the frames.
void FitCropTo(KeyframeTrack& track, const std::array<int32_t, 3>& voxels);

// The clipping plane is on from `from` into `to` and its normal passes through zero on the way
// (as from [0, 0, 1] to [0, 0, -1]), where no frame or script can set it.
bool NormalPassesZero(const ViewState& from, const ViewState& to);
// The first pair of keyframes whose plane normal passes through zero, in words; empty if none.
std::string PlaneTurnError(const KeyframeTrack& track);

}  // namespace lumetrix::animation
