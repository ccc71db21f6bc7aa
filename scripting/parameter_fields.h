#pragma once
// The values the parameters window shows: which view-state field each label mirrors, the
// prompt of its change box, and whether typed input is clamped to 0..1.

#include <array>
#include <string_view>

#include "core/view_parameters.h"

namespace lumetrix::scripting {

using ParameterId = ViewField;
inline constexpr int kNumericParameterCount = 17;

struct ParameterField {
  ParameterId id;
  const char* label;    // control name, e.g. "lblX"
  const char* caption;  // text beside the value, e.g. "X:"
  const char* prompt;   // prompt of the change box
  bool clampedToUnit;
};

// In refresh order (the order in which the labels are refreshed).
const std::array<ParameterField, kNumericParameterCount>& ParameterFields();
const ParameterField& ParameterOf(ParameterId id);

// The change protocol after the box was answered: empty text changes nothing (false); the
// number the text starts with is checked (CheckedViewValue: InvalidViewValue for infinities),
// clamped fields take 1 for anything above 1 and 0 for anything below 0, and the value is
// written through `target`.
bool ApplyParameterText(ViewParameters& target, ParameterId id, std::string_view text);

// "On" or "Off".
const char* LightText(bool on);

}  // namespace lumetrix::scripting
