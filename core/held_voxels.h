#pragma once
// The crop box and the clipping plane count voxels of the file. A volume held in memory at a
// coarser resolution (a streamed pyramid's level, a preview) spans the same box with fewer
// voxels; its renderers take the view into its own voxels.

#include <array>
#include <cstdint>

#include "core/view_state.h"

namespace lumetrix {

using VoxelSize3 = std::array<int32_t, 3>;  // voxels along x, y, z

// `view` with its crop limits and clipping plane taken from `file` voxels per axis into `held`
// voxels spanning the same extent (voxel i of n spans [i, i + 1) of n; plane coordinates are
// voxel centres). Unchanged when any count is below 1 or the two are equal.
ViewState InHeldVoxels(const ViewState& view, const VoxelSize3& file, const VoxelSize3& held);

}  // namespace lumetrix
