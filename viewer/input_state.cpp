#include "viewer/input_state.h"

#include <algorithm>
#include <cmath>

#include "core/rounding.h"
#include "viewer/clip_plane_geometry.h"

namespace lumetrix {
namespace {

// Single-precision fields stepped in double precision, as every step of the table is.
void Step(float& field, double delta) { field = static_cast<float>(static_cast<double>(field) + delta); }

int16_t Pixel(double v) {
  if (v < -32768) return -32768;
  if (v > 32767) return 32767;
  return CInt(v);
}

}  // namespace

void InputState::KeyDown(int code, bool volume_loaded) {
  if (volume_loaded && code >= 0 && code < 256) keys_[static_cast<size_t>(code)] = true;
}

void InputState::KeyUp(int code, bool volume_loaded) {
  if (volume_loaded && code >= 0 && code < 256) keys_[static_cast<size_t>(code)] = false;
}

bool InputState::AnyKeyHeld() const {
  using namespace vk;
  for (int code : {PageUp, PageDown, Up, Down, Left, Right, Escape, Space, Add, Subtract})
    if (IsHeld(code)) return true;
  for (char letter : {'Z', 'X', 'T', 'Y', 'L', 'K', 'R', 'G', 'B', 'E', 'F', 'V'})
    if (IsHeld(Letter(letter))) return true;
  return false;
}

void InputState::ApplyHeldKeys(ViewState& v) const {
  using namespace vk;
  if (IsHeld(PageUp)) Step(v.PosZ, -0.02);
  if (IsHeld(PageDown)) Step(v.PosZ, 0.02);
  if (IsHeld(Letter('Z'))) Step(v.ScaleZ, -0.2);
  if (IsHeld(Letter('X'))) Step(v.ScaleZ, 0.2);
  if (IsHeld(Up)) Step(v.XSpeed, -0.03);
  if (IsHeld(Down)) Step(v.XSpeed, 0.03);
  if (IsHeld(Left)) Step(v.YSpeed, -0.03);
  if (IsHeld(Right)) Step(v.YSpeed, 0.03);
  if (IsHeld(Escape) || IsHeld(Space)) v.XSpeed = v.YSpeed = 0;
  if (IsHeld(Letter('T')) && v.Transparency < 1.0f) Step(v.Transparency, 0.002);
  if (IsHeld(Letter('Y')) && v.Transparency > 0.0f) Step(v.Transparency, -0.002);
  if (IsHeld(Letter('L'))) v.LightOn = true;
  if (IsHeld(Letter('K'))) v.LightOn = false;

  float* colour = v.LightOn ? v.LightColor.data() : v.Color.data();
  const int raise[3] = {Letter('R'), Letter('G'), Letter('B')};
  const int lower[3] = {Letter('E'), Letter('F'), Letter('V')};
  for (int c = 0; c < 3; ++c) {
    if (colour[c] < 1.0f && (IsHeld(raise[c]) || IsHeld(Add))) Step(colour[c], 0.003);
    if (colour[c] > 0.0f && (IsHeld(lower[c]) || IsHeld(Subtract))) Step(colour[c], -0.003);
  }
}

void InputState::MouseDown(MouseButton button, double x, double y, bool volume_loaded, bool ctrl) {
  if (!volume_loaded) return;
  Button* b = button == MouseButton::Left ? &left_ : button == MouseButton::Right ? &right_ : nullptr;
  if (!b) return;
  b->Down = true;
  b->MovesPlane = ctrl && b == &left_;
  b->LastX = Pixel(x);
  b->LastY = Pixel(y);
}

void InputState::MouseMove(double x, double y, ViewState& v, const VolumeShape& shape) {
  const int16_t px = Pixel(x), py = Pixel(y);
  if (left_.Down && left_.MovesPlane) {
    if (!v.Clip.On) v.Clip = FacingViewer(shape, v);
    const auto& p = v.Clip.Plane;
    const double length = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
    const double voxels_per_pixel = kPlaneStep * std::max(HalfDiagonal(shape.Voxels), 1.0);
    Step(v.Clip.Plane[3], (py - left_.LastY) * voxels_per_pixel * length);
    left_.LastX = px;
    left_.LastY = py;
  } else if (left_.Down) {
    v.XRot = static_cast<float>(static_cast<double>(v.XRot) + (py - left_.LastY));
    v.YRot = static_cast<float>(static_cast<double>(v.YRot) + (px - left_.LastX));
    left_.LastX = px;
    left_.LastY = py;
  }
  if (right_.Down) {
    Step(v.PosX, (px - right_.LastX) * 0.003);
    Step(v.PosY, -(py - right_.LastY) * 0.003);
    right_.LastX = px;
    right_.LastY = py;
  }
}

void InputState::MouseUp(MouseButton button) {
  if (button == MouseButton::Left) left_.Down = false;
  if (button == MouseButton::Right) right_.Down = false;
}

void InputState::Wheel(int delta, ViewState& v) {
  if (delta == -120) Step(v.PosZ, 0.15);
  if (delta == 120) Step(v.PosZ, -0.15);
}

void InputState::WheelTurned(int angle, ViewState& view) {
  wheel_rest_ += angle;
  while (wheel_rest_ >= 120 || wheel_rest_ <= -120) {
    const int notch = wheel_rest_ > 0 ? 120 : -120;
    Wheel(wheel_away_zooms_in_ ? -notch : notch, view);
    wheel_rest_ -= notch;
  }
}

}  // namespace lumetrix
