#pragma once
// The view state as the windows that show it see it: they read it, and they write through the
// viewer, which checks every value (CheckedViewValue) and tells the other windows.

#include <cstdint>

#include "core/view_state.h"

namespace lumetrix {

// The single-valued fields of the view state.
enum class ViewField {
  PosX, PosY, PosZ, ScaleX, ScaleY, ScaleZ, XRot, YRot, XSpeed, YSpeed,
  Red, Green, Blue, Transparency, LightRed, LightGreen, LightBlue,
};

inline float& FieldOf(ViewState& s, ViewField f) {
  switch (f) {
    case ViewField::PosX: return s.PosX;
    case ViewField::PosY: return s.PosY;
    case ViewField::PosZ: return s.PosZ;
    case ViewField::ScaleX: return s.ScaleX;
    case ViewField::ScaleY: return s.ScaleY;
    case ViewField::ScaleZ: return s.ScaleZ;
    case ViewField::XRot: return s.XRot;
    case ViewField::YRot: return s.YRot;
    case ViewField::XSpeed: return s.XSpeed;
    case ViewField::YSpeed: return s.YSpeed;
    case ViewField::Red: return s.Color[0];
    case ViewField::Green: return s.Color[1];
    case ViewField::Blue: return s.Color[2];
    case ViewField::Transparency: return s.Transparency;
    case ViewField::LightRed: return s.LightColor[0];
    case ViewField::LightGreen: return s.LightColor[1];
    case ViewField::LightBlue: return s.LightColor[2];
  }
  return s.PosX;
}

inline float FieldOf(const ViewState& s, ViewField f) { return FieldOf(const_cast<ViewState&>(s), f); }

class ViewParameters {
 public:
  virtual ~ViewParameters() = default;
  virtual const ViewState& View() const = 0;
  // Stores one field; raises InvalidViewValue (nothing stored) for a value ViewValue refuses.
  virtual void SetViewField(ViewField field, float value) = 0;
  virtual void SwitchLight(bool on) = 0;
  // The shown volume's channels and time points (0 without one) and the time point shown, from 1.
  virtual int32_t ChannelCount() const { return 0; }
  virtual int32_t TimePointCount() const { return 0; }
  virtual int32_t TimePoint() const { return 0; }
};

}  // namespace lumetrix
