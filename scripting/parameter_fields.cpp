#include "scripting/parameter_fields.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scripting/number_text.h"

namespace lumetrix::scripting {

const std::array<ParameterField, kNumericParameterCount>& ParameterFields() {
  static const std::array<ParameterField, kNumericParameterCount> fields{{
      {ParameterId::X, "lblX", "X:", "SetX", false},
      {ParameterId::Y, "lblY", "Y:", "Sety", false},
      {ParameterId::Z, "lblZ", "Z:", "Setz", false},
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

const ParameterField& FieldOf(ParameterId id) {
  for (const auto& field : ParameterFields())
    if (field.id == id) return field;
  return ParameterFields()[0];  // unreachable: every id is in the table
}

float& FieldValue(ViewState& state, ParameterId id) {
  switch (id) {
    case ParameterId::X: return state.PosX;
    case ParameterId::Y: return state.PosY;
    case ParameterId::Z: return state.PosZ;
    case ParameterId::ScaleX: return state.ScaleX;
    case ParameterId::ScaleY: return state.ScaleY;
    case ParameterId::ScaleZ: return state.ScaleZ;
    case ParameterId::XRot: return state.XRot;
    case ParameterId::YRot: return state.YRot;
    case ParameterId::XSpeed: return state.XSpeed;
    case ParameterId::YSpeed: return state.YSpeed;
    case ParameterId::Red: return state.Color[0];
    case ParameterId::Green: return state.Color[1];
    case ParameterId::Blue: return state.Color[2];
    case ParameterId::Transparency: return state.Transparency;
    case ParameterId::LightRed: return state.LightColor[0];
    case ParameterId::LightGreen: return state.LightColor[1];
    case ParameterId::LightBlue: return state.LightColor[2];
  }
  return state.PosX;
}

float FieldValue(const ViewState& state, ParameterId id) {
  return FieldValue(const_cast<ViewState&>(state), id);
}

bool ApplyParameterText(ViewState& state, ParameterId id, std::string_view text) {
  if (text.empty()) return false;
  double value = ReadLeadingNumber(text);
  if (FieldOf(id).clampedToUnit) value = std::clamp(value, 0.0, 1.0);
  // A number beyond the float range would put infinity into the view: keep the old value.
  if (!(std::fabs(value) <= std::numeric_limits<float>::max())) return false;
  FieldValue(state, id) = static_cast<float>(value);
  return true;
}

const char* LightText(bool on) { return on ? "On" : "Off"; }

}  // namespace lumetrix::scripting
