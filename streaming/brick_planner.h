#pragma once
// Which bricks a view needs: from the coarsest level down, a brick is taken finer where one of its
// voxels would span more than a pixel on the screen; bricks outside the frame, the crop box or
// beyond the clipping plane are left out. Every brick comes with its coarser ancestors, so that a
// brick not yet loaded is drawn from one that is.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "streaming/brick_grid.h"

namespace lumetrix::streaming {

struct BrickView {
  // Voxel coordinates of the finest level (voxel i spans [i, i + 1)) to clip coordinates:
  // clip = M (x, y, z, 1), M column-major as OpenGL keeps it.
  std::array<double, 16> voxel_to_clip{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  int32_t width = 1, height = 1;  // the frame in pixels
  // What is kept, in voxels of the finest level: the crop box [lo, hi) and, when `clip` is set,
  // the half-space dot(plane.xyz, v) <= plane.w.
  std::array<double, 3> crop_lo{0, 0, 0}, crop_hi{1e30, 1e30, 1e30};
  bool clip = false;
  std::array<double, 4> plane{0, 0, 1, 0};
  int32_t t = 0;
  // A level is fine enough where one of its voxels spans at most this many pixels.
  double pixels_per_voxel = 1.0;
  // The bricks the caches can hold at once.
  size_t max_bricks = 4096;
};

struct BrickPlan {
  // Coarse first: the bricks to load, each after its ancestors.
  std::vector<BrickKey> wanted;
  // The finest level any wanted brick comes from.
  int32_t finest_level = 0;
  // The detail had to be lowered to fit max_bricks (the frame shows less than the view needs).
  bool reduced = false;
};

BrickPlan PlanBricks(const std::vector<PyramidLevel>& levels, const BrickView& view);

}  // namespace lumetrix::streaming
