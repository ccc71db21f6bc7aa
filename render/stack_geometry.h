#pragma once
// Which stack faces the viewer best, and where its quads lie in model coordinates.

#include <array>
#include <cstdint>
#include <vector>

#include "render/texture_slices.h"

namespace lumetrix {

// XZ when the rotation about X is nearly edge-on (45 < |XRot mod 180| < 135), else YZ when the
// rotation about Y is, else XY. Angles are rounded half to even first.
Stack ChooseStack(float x_rot, float y_rot);

struct QuadVertex {
  float s, t;     // texture coordinates
  float x, y, z;  // position
};

struct Quad {
  int32_t Texture;  // index into the stack's texture names
  std::array<float, 3> Normal;
  std::array<QuadVertex, 4> Vertices;
};

struct VolumeExtent {
  int32_t Width, Height, Depth;
  float ScaleX, ScaleY, ScaleZ;
  // Rows span their true height (H * ScaleY against W * ScaleX) instead of the width's -1..1;
  // set for volumes whose file gives the voxel size.
  bool TrueAspect = false;
};

// The quads of a stack in drawing order.
std::vector<Quad> StackQuads(Stack stack, const VolumeExtent& e, int32_t slice_step);

// The alpha of the stack's slices for a view transparency `alpha`: scaled by the slice spacing
// so that the picture keeps its brightness when another stack takes over (at most 1).
float StackAlpha(Stack stack, const VolumeExtent& e, int32_t slice_step, float alpha);

}  // namespace lumetrix
