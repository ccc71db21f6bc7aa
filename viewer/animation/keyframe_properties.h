#pragma once
// The animated properties of the view state, by their own names, one row each. A new property
// (channels, time point, render mode) is one more row.

#include <span>
#include <string>
#include <string_view>

#include "core/view_state.h"
#include "viewer/animation/keyframe.h"

namespace lumetrix::animation {

enum class Blend {
  Angle,   // degrees; the shortest way unless a full turn is asked for
  Linear,  // positions, scales, colours, transparency, cuts
  Step,    // switches at the keyframe (on/off values, modes)
  Level,   // iso levels: linear between two levels, switching at the keyframe when either end is
           // kIsoMiddle (the middle of a display range is no number to blend towards)
};

// How a keyframe file writes the value.
enum class KeyText {
  Number,  // a number, or an array of Components numbers
  Flag,    // true or false
  Word,    // a word such as "volume"
};

struct KeyProperty {
  const char* Name;
  int Components;  // 1, 3 for colours ([r, g, b] in the keyframe file), more for cuts and levels
  Blend Blending;
  // Component i of the property in a view state (flags as 0 or 1, words as their enum's value).
  float (*Get)(const ViewState&, int i);
  void (*Set)(ViewState&, int i, float value);
  KeyText Text = KeyText::Number;
  double Limit = kMaxKeyValue;  // numbers within +-Limit, so differences stay finite
  // Raises InvalidViewValue (render_options.h) when the property's value in a view is not one the
  // viewer takes. May be empty.
  void (*Check)(const ViewState&) = nullptr;
  // Words: the value's word; the value of a word (InvalidViewValue for another word).
  const char* (*Word)(float value) = nullptr;
  float (*FromWord)(const std::string& word) = nullptr;
  // True: a file's array may give only the first components; the others keep their values.
  bool Partial = false;
  const char* Form = nullptr;  // how the file writes it, for messages; empty: from the kind
};

std::span<const KeyProperty> KeyProperties();
const KeyProperty* FindKeyProperty(std::string_view name);

}  // namespace lumetrix::animation
