#pragma once
// The values the renderer reads on every frame. Changed by the main window's setters (scripts,
// the parameters window), by mouse and keyboard input, and by an open (transparency).

#include <array>
#include <cstdint>

namespace lumetrix {

// How the volume is drawn. The slice stacks add the slices at the transparency (Additive) or
// keep the brightest (Maximum); the ray caster composites emission and absorption along each ray
// (Volume), keeps the brightest (Mip), the brightest dimmed by what lies before it (Attenuated),
// the darkest (MinIP), or shades the first crossing of each channel's iso level (Iso).
enum class RenderMode { Additive, Maximum, Volume, Mip, Attenuated, MinIP, Iso };
inline bool RayCast(RenderMode m) { return m != RenderMode::Additive && m != RenderMode::Maximum; }

enum class Projection { Perspective, Orthographic };

// Limits in voxels, counting from 0 and inclusive: voxel (x, y, z) is kept when X0 <= x <= X1 and
// so on. The start box reaches past any volume.
inline constexpr float kCropToEnd = 1e9f;
struct CropBox {
  std::array<float, 6> Limits{0, kCropToEnd, 0, kCropToEnd, 0, kCropToEnd};  // x0, x1, y0, y1, z0, z1
  friend bool operator==(const CropBox&, const CropBox&) = default;
};

// A free clipping plane in voxel coordinates: voxels whose centre (x, y, z) has
// Nx * x + Ny * y + Nz * z > D are cut away.
struct ClipPlane {
  bool On = false;
  std::array<float, 4> Plane{0, 0, 1, 0};  // Nx, Ny, Nz, D
  friend bool operator==(const ClipPlane&, const ClipPlane&) = default;
};

// The iso level of a channel that has none set: the middle of its display range.
inline constexpr float kIsoMiddle = -1.0f;
inline constexpr int kIsoChannels = 8;  // as many as a stack may have

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
  Projection Proj = Projection::Perspective;
  CropBox Crop;
  ClipPlane Clip;
  // Ray casting: each channel's iso level in its stored values, the attenuation per voxel of
  // displayed level (Attenuated), and the step along a ray in voxels, measured in the voxel grid
  // (half a thick voxel where the ray runs along thick voxels).
  std::array<float, kIsoChannels> IsoLevel{kIsoMiddle, kIsoMiddle, kIsoMiddle, kIsoMiddle,
                                           kIsoMiddle, kIsoMiddle, kIsoMiddle, kIsoMiddle};
  float Attenuation = 0.05f;
  float Quality = 0.5f;

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
