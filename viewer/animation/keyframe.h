#pragma once
// One keyframe of an animation: the whole view state at a frame number, the palette shown from
// it on, and how the way into it from the keyframe before is taken.

#include <cstdint>
#include <string>

#include "core/view_state.h"

namespace lumetrix::animation {

enum class Ease {
  Linear,  // the same change every frame
  InOut,   // starts and ends slowly (smoothstep)
};

struct Keyframe {
  int32_t Frame = 0;
  ViewState View;       // the speeds are not part of an animation and stay 0
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

}  // namespace lumetrix::animation
