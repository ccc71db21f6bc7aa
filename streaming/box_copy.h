#pragma once
// Copies the part of a decoded piece (a chunk, strip or tile of held samples) that a box needs
// into the box's samples. Box voxels beyond the level take the level's nearest edge voxel, so
// every voxel of the box comes from the piece holding its clamped position.

#include <cstddef>
#include <cstdint>

#include "streaming/brick_source.h"

namespace lumetrix::streaming {

struct HeldPiece {
  int32_t x0 = 0, y0 = 0, z0 = 0;  // where the piece starts in the level
  int32_t w = 0, h = 0, d = 0;     // how much of it lies inside the level
  const uint8_t* samples = nullptr;
  size_t step[3] = {1, 0, 0};  // samples from one x, y, z to the next
};

// The box's clamped positions along one axis of a level of `size` voxels: [first, last].
struct ClampedRange {
  int32_t first = 0, last = 0;
};
ClampedRange ClampedAxis(int32_t origin, int32_t count, int32_t size);

// Writes every voxel of `box` (x fastest, then rows, then slices; `bytes` 1 or 2 per sample)
// whose clamped position in `level` lies in `piece`.
void CopyPieceIntoBox(const HeldPiece& piece, const VoxelBox& box, const PyramidLevel& level, int bytes, uint8_t* out);

}  // namespace lumetrix::streaming
