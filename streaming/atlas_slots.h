#pragma once
// Where bricks lie in the GPU's atlas (a 3D texture of slots of kBrickSlot^3 voxels), and the page
// table the ray caster looks them up through: one entry per brick of the finest level, naming the
// slot and level of the finest brick loaded that covers it. Slot 0 stays empty (all zero): what
// a region is drawn from while nothing covering it is loaded.

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "streaming/brick_grid.h"

namespace lumetrix::streaming {

using BrickSet = std::unordered_set<BrickKey, BrickKeyHash>;

class AtlasSlots {
 public:
  // Slots per axis: at most 256 each (the page table keeps a slot's place in bytes).
  explicit AtlasSlots(std::array<int32_t, 3> per_axis);
  std::array<int32_t, 3> PerAxis() const { return per_axis_; }
  // Slots bricks can take (all but the empty one).
  size_t Capacity() const { return free_.size() + slot_of_.size(); }
  // The brick's slot (0 for a brick held as empty), or -1 when it is not in the atlas.
  int64_t SlotOf(const BrickKey& key) const;
  // `key` holds only zeros, border and all: it is drawn from the empty slot and takes none.
  void HoldEmpty(const BrickKey& key);
  // A slot for `key`: a free one, else the least recently used brick's that is not in `keep`;
  // -1 when every slot holds a brick of `keep`. The brick counts as used now.
  int64_t Place(const BrickKey& key, const BrickSet& keep);
  void Touch(const BrickKey& key);
  // The slot's place in slots per axis.
  std::array<int32_t, 3> Coords(int64_t slot) const;
  void Clear();
  size_t Held() const { return slot_of_.size(); }
  size_t HeldEmpty() const { return empty_.size(); }

 private:
  std::array<int32_t, 3> per_axis_;
  std::vector<int64_t> free_;
  std::list<BrickKey> use_;  // least recently used first
  struct Place_ {
    int64_t slot;
    std::list<BrickKey>::iterator use;
  };
  std::unordered_map<BrickKey, Place_, BrickKeyHash> slot_of_;
  static constexpr size_t kMostEmpty = size_t{1} << 20;
  BrickSet empty_;
};

// The page table for `levels` (4 bytes per brick of the finest level, x fastest: the slot's x, y,
// z and the level), from the bricks of `wanted` (coarse first) that `slots` holds: each finer
// brick overwrites what its coarser ancestor wrote. Bricks `drawn_empty` says add nothing to the
// frame are led to the empty slot, as bricks of zeros are.
std::vector<uint8_t> BuildPageTable(const std::vector<PyramidLevel>& levels, const std::vector<BrickKey>& wanted,
                                    const AtlasSlots& slots,
                                    const std::function<bool(const BrickKey&)>& drawn_empty = nullptr);

}  // namespace lumetrix::streaming
