#pragma once
// Mouse and keyboard input on the viewer. Key events only record which keys are held; their
// effect is applied once per drawn frame by ApplyHeldKeys. Mouse moves act at once: a left drag
// turns the volume, a right drag moves it, and a left drag begun with Ctrl held moves the
// clipping plane.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/view_state.h"
#include "viewer/volume_shape.h"

namespace lumetrix {

// Virtual-key codes of the keys the viewer knows.
namespace vk {
constexpr int Escape = 27, Space = 32, PageUp = 33, PageDown = 34, Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int Add = 107, Subtract = 109;  // numeric keypad plus and minus
constexpr int Letter(char c) { return c; }  // 'A'..'Z' are their ASCII codes
}  // namespace vk

enum class MouseButton { Left = 1, Right = 2, Other = 0 };

class InputState {
 public:
  // Key down/up: recorded only while a volume is loaded; codes outside 0..255 are ignored.
  void KeyDown(int code, bool volume_loaded);
  void KeyUp(int code, bool volume_loaded);
  // Forget every held key (the window lost the keyboard, so no key-up will come).
  void ReleaseAllKeys() { keys_.fill(false); }
  // Whether a key that changes the view is held (Alt or Shift held alone change nothing, and
  // must not keep frames coming).
  bool AnyKeyHeld() const;
  bool IsHeld(int code) const { return code >= 0 && code < 256 && keys_[static_cast<size_t>(code)]; }

  // The held-key step, once per drawn frame.
  void ApplyHeldKeys(ViewState& view) const;

  // `ctrl`: Ctrl was held as the button went down (it decides for the whole drag).
  void MouseDown(MouseButton button, double x, double y, bool volume_loaded, bool ctrl = false);
  // A plane drag moves the plane along its normal: each pixel upwards takes it kPlaneStep times
  // the volume's half diagonal (at least 1 voxel) against its normal, deeper into the
  // volume for a plane facing the viewer (D falls by that many voxels times |N|). Without a plane
  // on, one is made facing the viewer through the centre first.
  void MouseMove(double x, double y, ViewState& view, const VolumeShape& shape = {});
  void MouseUp(MouseButton button);
  bool Dragging() const { return left_.Down || right_.Down; }
  static constexpr double kPlaneStep = 1.0 / 200;
  // Wheel: -120 moves the volume nearer (PosZ += 0.15), +120 farther; other deltas are ignored.
  static void Wheel(int delta, ViewState& view);
  // Turns of any size (touchpads report small steps): they add up to the 120 of a mouse notch,
  // and each whole notch is passed to Wheel.
  void WheelTurned(int angle, ViewState& view);
  // The preference of most other viewers: a turn away from the user (+120) brings the volume
  // nearer. Off by default.
  void SetWheelAwayZoomsIn(bool on) { wheel_away_zooms_in_ = on; }
  bool WheelAwayZoomsIn() const { return wheel_away_zooms_in_; }

 private:
  struct Button {
    bool Down = false;
    bool MovesPlane = false;
    int16_t LastX = 0, LastY = 0;
  };
  std::array<bool, 256> keys_{};
  Button left_, right_;
  int wheel_rest_ = 0;
  bool wheel_away_zooms_in_ = false;
};

}  // namespace lumetrix
