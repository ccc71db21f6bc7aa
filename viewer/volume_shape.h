#pragma once
// Where the voxels of the volume shown lie in model space, as both renderers place them: x spans
// -1..1, y and z keep their proportions by the view's scales (y only with a voxel size from the
// file); y runs downwards (rows top first) and z towards the viewer's side (page 0 in front).

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/view_state.h"

namespace lumetrix {

struct VolumeShape {
  std::array<int32_t, 3> Voxels{1, 1, 1};  // along x, y, z
  bool TrueAspect = false;                 // the file gave the voxel size
};

// Half the box's extent along each axis, in model units.
inline std::array<double, 3> ModelHalf(const VolumeShape& s, const ViewState& v) {
  const double w = s.Voxels[0] > 0 ? s.Voxels[0] : 1;
  return {1.0, s.TrueAspect ? s.Voxels[1] * double(v.ScaleY) / (w * v.ScaleX) : 1.0,
          s.Voxels[2] * double(v.ScaleZ) / (w * v.ScaleX)};
}

// Voxel coordinate (centres at whole numbers) per model unit along each axis: v = A p + c, with
// c the volume's centre ((N - 1) / 2).
inline std::array<double, 3> VoxelsPerModelUnit(const VolumeShape& s, const ViewState& v) {
  const std::array<double, 3> half = ModelHalf(s, v);
  std::array<double, 3> a{};
  for (std::size_t i = 0; i < 3; ++i) a[i] = (i == 0 ? 1.0 : -1.0) * s.Voxels[i] / (2 * half[i]);
  return a;
}

}  // namespace lumetrix
