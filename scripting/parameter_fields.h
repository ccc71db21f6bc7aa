#pragma once
// The values the parameters window shows: which view-state field each label mirrors, the
// prompt of its change box, and whether typed input is clamped to 0..1.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/view_state.h"

namespace lumetrix::scripting {

enum class ParameterId {
  X, Y, Z, ScaleX, ScaleY, ScaleZ, XRot, YRot, XSpeed, YSpeed,
  Red, Green, Blue, Transparency, LightRed, LightGreen, LightBlue,
};
inline constexpr int kNumericParameterCount = 17;

struct ParameterField {
  ParameterId id;
  const char* label;    // control name, e.g. "lblX"
  const char* caption;  // text beside the value, e.g. "X:"
  const char* prompt;   // prompt of the change box
  bool clampedToUnit;
};

// In refresh order (the order in which the labels are refreshed on every tick).
const std::array<ParameterField, kNumericParameterCount>& ParameterFields();
const ParameterField& FieldOf(ParameterId id);

float& FieldValue(ViewState& state, ParameterId id);
float FieldValue(const ViewState& state, ParameterId id);

// The change protocol after the box was answered: empty text changes nothing; clamped fields
// take 1 for anything above 1 and 0 for anything below 0; the number the text starts with is
// stored. Returns whether the field was written.
bool ApplyParameterText(ViewState& state, ParameterId id, std::string_view text);

// "On" or "Off".
const char* LightText(bool on);

}  // namespace lumetrix::scripting
