#pragma once
// One keyframe of an animation: the whole view state at a frame number, the palette shown from
// it on, and how the way into it from the keyframe before is taken.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/view_state.h"
#include "imaging/hyperstack_layout.h"

namespace lumetrix::animation {

enum class Ease {
  Linear,  // the same change every frame
  InOut,   // starts and ends slowly (smoothstep)
};

// One channel's look at a keyframe. Only the parts in Given are the keyframe's; the others are
// whatever the volume shows when the movie starts.
struct ChannelKey {
  enum Part : uint8_t { kVisible = 1, kColor = 2, kRange = 4, kGamma = 8, kAll = 15 };
  uint8_t Given = 0;
  bool Visible = true;
  std::array<double, 3> Color{255, 255, 255};  // red, green, blue, 0..255
  double Min = 0, Max = 255;                   // the display range, Max above Min
  double Gamma = 1;

  friend bool operator==(const ChannelKey&, const ChannelKey&) = default;
};

struct Keyframe {
  int32_t Frame = 0;
  ViewState View;       // the speeds are not part of an animation and stay 0
  std::vector<ChannelKey> Channels;  // channel 1 first; channels beyond keep their look
  int32_t TimePoint = 0;             // counting from 1; 0: left as it is
  std::string Palette;  // Palette menu caption; empty: the palette is left as it is
  Ease Easing = Ease::Linear;
  // Rotations turn by the plain difference of the angles (0 -> 360 is a full turn) instead of
  // the shortest way.
  bool FullTurn = false;

  friend bool operator==(const Keyframe&, const Keyframe&) = default;
};

// Frames beyond this are refused: a typing slip, not a movie anyone renders.
inline constexpr int32_t kMaxKeyFrame = 100000;
// Values beyond this are refused, so differences of two of them stay finite.
inline constexpr double kMaxKeyValue = 1e6;
// As many channels as a volume can have.
inline constexpr int32_t kMaxKeyChannels = imaging::kMaxChannels;

}  // namespace lumetrix::animation
