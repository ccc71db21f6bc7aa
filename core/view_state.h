#pragma once
// The values the renderer reads on every frame. Changed by the main window's setters (scripts,
// the parameters window), by mouse and keyboard input, and by an open (transparency).

#include <array>

namespace lumetrix {

// How the slices combine: added at the transparency, or the brightest along each ray.
enum class RenderMode { Additive, Maximum };

struct ViewState {
  float XRot = 0;    // degrees about X
  float YRot = 0;    // degrees about Y
  float XSpeed = 0;  // degrees added to XRot per drawn frame
  float YSpeed = 0;
  float PosX = 0;
  float PosY = 0;
  float PosZ = -3.0f;  // the eye looks down -z
  float ScaleX = 30;   // voxel size along x, y, z: only the ratios matter
  float ScaleY = 30;
  float ScaleZ = 100;
  std::array<float, 3> Color{0.5f, 0.5f, 0.5f};
  std::array<float, 4> LightColor{0.4f, 0.4f, 0.4f, 1.0f};  // ambient of light 1, with alpha
  float Transparency = 0.3f;
  bool LightOn = false;
  RenderMode Mode = RenderMode::Additive;
  bool ScaleBar = false;  // drawn over the volume, bottom left
  bool Axes = false;      // small x, y, z triad, bottom right

  // Every field to its start value.
  void ResetParameters() { *this = ViewState{}; }
  // Stops the turning where it is.
  void ResetSpeedParameters() {
    XSpeed = 0;
    YSpeed = 0;
  }

  friend bool operator==(const ViewState&, const ViewState&) = default;
};

}  // namespace lumetrix
