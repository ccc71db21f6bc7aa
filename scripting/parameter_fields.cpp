#include "scripting/parameter_fields.h"

#include <algorithm>
#include <cmath>

#include "core/view_value.h"
#include "scripting/number_text.h"

namespace lumetrix::scripting {

const std::array<ParameterField, kNumericParameterCount>& ParameterFields() {
  static const std::array<ParameterField, kNumericParameterCount> fields{{
      {ParameterId::PosX, "lblX", "X:", "SetX", false},
      {ParameterId::PosY, "lblY", "Y:", "Sety", false},
      {ParameterId::PosZ, "lblZ", "Z:", "Setz", false},
      {ParameterId::ScaleX, "lblSX", "ScaleX:", "SetScaleX", false},
      {ParameterId::ScaleY, "lblSY", "ScaleY:", "SetScaleY", false},
      {ParameterId::ScaleZ, "lblSZ", "ScaleZ:", "SetScaleZ", false},
      {ParameterId::XRot, "lblXrot", "XRot:", "SetXRot", false},
      {ParameterId::YRot, "lblYRot", "YRot:", "SetYRot", false},
      {ParameterId::XSpeed, "lblXSpeed", "XRotSpeed:", "SetXRotSpeed", false},
      {ParameterId::YSpeed, "lblYSpeed", "YRotSpeed:", "SetYRotSpeed", false},
      {ParameterId::LightRed, "lblLRed", "LRed:", "SetColor Lighting Red", true},
      {ParameterId::LightGreen, "lblLGreen", "LGreen:", "SetColor Lighting Green", true},
      {ParameterId::LightBlue, "lblLBlue", "LBlue:", "SetColor Lighting Blue", true},
      {ParameterId::Red, "lblRed", "Red:", "SetColor Red", true},
      {ParameterId::Green, "lblGreen", "Green:", "SetColor Green", true},
      {ParameterId::Blue, "lblBlue", "Blue:", "SetColor Blue", true},
      {ParameterId::Transparency, "lblTrans", "Transparency:", "SetColor Transparency", true},
  }};
  return fields;
}

const ParameterField& ParameterOf(ParameterId id) {
  for (const auto& field : ParameterFields())
    if (field.id == id) return field;
  return ParameterFields()[0];  // unreachable: every id is in the table
}

bool ApplyParameterText(ViewParameters& target, ParameterId id, std::string_view text) {
  if (text.empty()) return false;
  double value = ReadLeadingNumber(text);
  // Infinities are refused before clamping, so that "1e999" is no way to type a 1.
  if (ParameterOf(id).clampedToUnit && std::isfinite(value)) value = std::clamp(value, 0.0, 1.0);
  target.SetViewField(id, CheckedViewValue(value));
  return true;
}

const char* LightText(bool on) { return on ? "On" : "Off"; }

}  // namespace lumetrix::scripting
