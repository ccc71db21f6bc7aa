#pragma once
// How a pyramid is cut into bricks: cubes of kBrickSide voxels of one level, stored with a border
// of one voxel on every side (their neighbours' voxels), so that interpolation inside a brick
// needs nothing from another.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "streaming/brick_source.h"

namespace lumetrix::streaming {

inline constexpr int32_t kBrickSide = 64;
inline constexpr int32_t kBrickBorder = 1;
inline constexpr int32_t kBrickSlot = kBrickSide + 2 * kBrickBorder;  // a stored brick's side
inline constexpr uint64_t kBrickSlotVoxels = uint64_t(kBrickSlot) * kBrickSlot * kBrickSlot;

struct BrickKey {
  int32_t level = 0, t = 0;
  int32_t x = 0, y = 0, z = 0;  // the brick's place in its level's grid
  friend bool operator==(const BrickKey&, const BrickKey&) = default;
};

struct BrickKeyHash {
  size_t operator()(const BrickKey& k) const {
    uint64_t h = uint64_t(uint32_t(k.level)) * 0x9E3779B97F4A7C15ull;
    for (int32_t v : {k.t, k.x, k.y, k.z}) h = (h ^ uint32_t(v)) * 0x100000001B3ull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// Bricks per axis of a level of `n` voxels.
inline int32_t BricksAlong(int32_t n) { return (n + kBrickSide - 1) / kBrickSide; }

// The voxels a stored brick holds: its core and the border, reaching beyond the level at its edges.
inline VoxelBox StoredBox(const BrickKey& k) {
  return {k.x * kBrickSide - kBrickBorder, k.y * kBrickSide - kBrickBorder, k.z * kBrickSide - kBrickBorder,
          kBrickSlot, kBrickSlot, kBrickSlot};
}

}  // namespace lumetrix::streaming
