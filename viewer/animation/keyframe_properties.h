#pragma once
// The animated properties of the view state, by their own names, one row each. A new property
// (channels, time point, render mode) is one more row.

#include <span>
#include <string_view>

#include "core/view_state.h"

namespace lumetrix::animation {

enum class Blend {
  Angle,   // degrees; the shortest way unless a full turn is asked for
  Linear,  // positions, scales, colours, transparency
  Step,    // switches at the keyframe (on/off values)
};

struct KeyProperty {
  const char* Name;
  int Components;  // 1, or 3 for colours ([r, g, b] in the keyframe file)
  Blend Blending;
  // Component i of the property in a view state (flags as 0 or 1).
  float (*Get)(const ViewState&, int i);
  void (*Set)(ViewState&, int i, float value);
};

std::span<const KeyProperty> KeyProperties();
const KeyProperty* FindKeyProperty(std::string_view name);

}  // namespace lumetrix::animation
