#pragma once
// The crop box as whole voxels of the volume shown, for the Display window's sliders: each limit
// runs over its axis, and a first limit never passes its second (a drag pushes the other along).

#include <array>
#include <cstdint>

#include "core/view_state.h"

namespace lumetrix {

// Voxels along x, y and z (each at least 1).
using VoxelCounts = std::array<int32_t, 3>;

// x0, x1, y0, y1, z0, z1 clamped to 0..N-1 of their axis (kCropToEnd shows as N-1).
std::array<int32_t, 6> CropSliderValues(const CropBox& crop, const VoxelCounts& voxels);

// Limit `index` (0..5 as above) moved to `value`, clamped to its axis. When it passes the other
// limit of its axis, that one is pushed to the same voxel; the limits it does not touch keep
// their stored values (kCropToEnd stays).
CropBox MoveCropLimit(CropBox crop, int index, int32_t value, const VoxelCounts& voxels);

}  // namespace lumetrix
