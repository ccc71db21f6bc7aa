#include "streaming/atlas_slots.h"

#include <algorithm>

namespace lumetrix::streaming {

AtlasSlots::AtlasSlots(std::array<int32_t, 3> per_axis) : per_axis_(per_axis) {
  for (int32_t& n : per_axis_) n = std::clamp(n, 1, 256);
  Clear();
}

void AtlasSlots::Clear() {
  empty_.clear();
  slot_of_.clear();
  use_.clear();
  free_.clear();
  const int64_t n = int64_t(per_axis_[0]) * per_axis_[1] * per_axis_[2];
  // Taken from the back: the low slots first.
  for (int64_t s = n - 1; s >= 1; --s) free_.push_back(s);
}

int64_t AtlasSlots::SlotOf(const BrickKey& key) const {
  const auto it = slot_of_.find(key);
  if (it != slot_of_.end()) return it->second.slot;
  return empty_.count(key) ? 0 : -1;
}

void AtlasSlots::HoldEmpty(const BrickKey& key) {
  // Bounded like a cache: forgotten ones are found empty again when next uploaded.
  if (empty_.size() >= kMostEmpty) empty_.clear();
  empty_.insert(key);
}

void AtlasSlots::Touch(const BrickKey& key) {
  const auto it = slot_of_.find(key);
  if (it != slot_of_.end()) use_.splice(use_.end(), use_, it->second.use);
}

int64_t AtlasSlots::Place(const BrickKey& key, const BrickSet& keep) {
  if (const int64_t held = SlotOf(key); held >= 0) {
    Touch(key);
    return held;
  }
  int64_t slot = -1;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    const auto old = std::find_if(use_.begin(), use_.end(), [&](const BrickKey& k) { return !keep.count(k); });
    if (old == use_.end()) return -1;
    slot = slot_of_[*old].slot;
    slot_of_.erase(*old);
    use_.erase(old);
  }
  use_.push_back(key);
  slot_of_[key] = {slot, std::prev(use_.end())};
  return slot;
}

std::array<int32_t, 3> AtlasSlots::Coords(int64_t slot) const {
  const int64_t x = slot % per_axis_[0], y = (slot / per_axis_[0]) % per_axis_[1];
  const int64_t z = slot / (int64_t(per_axis_[0]) * per_axis_[1]);
  return {int32_t(x), int32_t(y), int32_t(z)};
}

std::vector<uint8_t> BuildPageTable(const std::vector<PyramidLevel>& levels, const std::vector<BrickKey>& wanted,
                                    const AtlasSlots& slots, const std::function<bool(const BrickKey&)>& drawn_empty) {
  if (levels.empty()) return {};
  const PyramidLevel& finest = levels.front();
  const int32_t n[3] = {BricksAlong(finest.width), BricksAlong(finest.height), BricksAlong(finest.depth)};
  std::vector<uint8_t> table(size_t(n[0]) * n[1] * n[2] * 4, 0);
  for (const BrickKey& k : wanted) {
    const int64_t slot = slots.SlotOf(k);
    if (slot < 0 || k.level < 0 || size_t(k.level) >= levels.size()) continue;
    const auto at = slots.Coords(drawn_empty && slot > 0 && drawn_empty(k) ? 0 : slot);
    const PyramidLevel& level = levels[size_t(k.level)];
    // A brick of the level spans `factor` bricks of the finest level per axis.
    const int32_t place[3] = {k.x, k.y, k.z};
    int32_t lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(place[a] * level.factor[a], n[a]);
      hi[a] = std::min((place[a] + 1) * level.factor[a], n[a]);
    }
    for (int32_t z = lo[2]; z < hi[2]; ++z)
      for (int32_t y = lo[1]; y < hi[1]; ++y)
        for (int32_t x = lo[0]; x < hi[0]; ++x) {
          uint8_t* e = &table[((size_t(z) * n[1] + y) * n[0] + x) * 4];
          e[0] = uint8_t(at[0]), e[1] = uint8_t(at[1]), e[2] = uint8_t(at[2]), e[3] = uint8_t(k.level);
        }
  }
  return table;
}

}  // namespace lumetrix::streaming
