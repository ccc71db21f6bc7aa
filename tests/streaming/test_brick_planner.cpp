// Which bricks a view wants, and where the page table sends each brick of the finest level: a
// 256^3 pyramid of three levels (factors 1, 2, 4; 4^3, 2^3 and 1 bricks) seen straight on, so that
// a voxel's size on the screen is worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>

#include "streaming/atlas_slots.h"
#include "streaming/brick_planner.h"

namespace lumetrix::streaming {
namespace {

const std::vector<PyramidLevel> kLevels = {{256, 256, 256, {1, 1, 1}}, {128, 128, 128, {2, 2, 2}}, {64, 64, 64, {4, 4, 4}}};

// The volume fills a frame of `pixels` squared: clip = voxel * 2 / 256 - 1 along x and y (z into
// the depth range), so a voxel of the finest level spans pixels / 256 pixels.
BrickView Straight(int32_t pixels) {
  BrickView v;
  v.width = v.height = pixels;
  v.voxel_to_clip = {2.0 / 256, 0, 0, 0, 0, 2.0 / 256, 0, 0, 0, 0, 2.0 / 256, 0, -1, -1, -1, 1};
  return v;
}

size_t AtLevel(const BrickPlan& p, int32_t level) {
  return size_t(std::count_if(p.wanted.begin(), p.wanted.end(), [&](const BrickKey& k) { return k.level == level; }));
}

TEST(BrickPlanner, TakesTheCoarsestLevelWhoseVoxelSpansAPixelAndEveryAncestor) {
  struct Case {
    const char* what;
    BrickView view;
    int32_t finest;
    size_t counts[3];  // bricks wanted at levels 0, 1, 2
    bool reduced;
  };
  BrickView half_crop = Straight(512);
  half_crop.crop_hi = {64, 1e30, 1e30};  // x below 64: the first column of finest bricks
  BrickView plane = Straight(512);
  plane.clip = true, plane.plane = {1, 0, 0, 63.5};  // kept where x <= 63.5
  BrickView shifted = Straight(512);
  shifted.voxel_to_clip[12] = 0.01;  // voxels 128 and beyond lie right of the frame
  BrickView small_budget = Straight(512);
  small_budget.max_bricks = 9;
  const Case cases[] = {
      // 512 px: finest voxels 2 px, level 2's 8, level 1's 4: down to level 0.
      {"2 px a voxel", Straight(512), 0, {64, 8, 1}, false},
      // 256 px: level 1's voxel spans 2 px > 1, level 0's 1 px: still level 0.
      {"1 px a voxel", Straight(256), 0, {64, 8, 1}, false},
      {"level 1 suffices", Straight(128), 1, {0, 8, 1}, false},
      {"level 2 suffices", Straight(64), 2, {0, 0, 1}, false},
      {"crop", half_crop, 0, {16, 4, 1}, false},
      {"plane", plane, 0, {16, 4, 1}, false},
      {"frame", shifted, 0, {32, 4, 1}, false},
      // 73 bricks do not fit 9: one level less detail everywhere.
      {"budget", small_budget, 1, {0, 8, 1}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BrickPlan p = PlanBricks(kLevels, c.view);
    EXPECT_EQ(p.finest_level, c.finest);
    EXPECT_EQ(p.reduced, c.reduced);
    for (int32_t l = 0; l < 3; ++l) EXPECT_EQ(AtLevel(p, l), c.counts[l]) << "level " << l;
    // Coarse first: each brick after the one of the next coarser level that holds it.
    for (size_t i = 0; i < p.wanted.size(); ++i) {
      const BrickKey& k = p.wanted[i];
      if (k.level == 2) continue;
      const BrickKey parent{k.level + 1, k.t, k.x / 2, k.y / 2, k.z / 2};
      const auto at = std::find(p.wanted.begin(), p.wanted.end(), parent);
      EXPECT_LT(at - p.wanted.begin(), static_cast<ptrdiff_t>(i));
    }
  }
}

TEST(AtlasSlots, PageTableLeadsEachFinestBrickToTheFinestLoadedOneAndSlotsGoLeastRecentlyUsedFirst) {
  AtlasSlots slots({2, 2, 1});  // slot 0 kept empty: 3 for bricks
  const BrickKey top{2, 0, 0, 0, 0}, mid{1, 0, 1, 0, 0}, fine{0, 0, 3, 1, 0};
  BrickSet keep{top};
  EXPECT_EQ(slots.Place(top, keep), 1);
  EXPECT_EQ(slots.Place(mid, keep), 2);
  EXPECT_EQ(slots.Place(fine, keep), 3);
  // Slot n lies at (n % 2, n / 2 % 2, n / 4): top at (1, 0, 0), mid at (0, 1, 0), fine at (1, 1, 0).
  const std::vector<uint8_t> table = BuildPageTable(kLevels, {top, mid, fine}, slots);
  ASSERT_EQ(table.size(), 64u * 4);
  const auto entry = [&](int x, int y, int z) { return std::vector<uint8_t>(&table[((z * 4 + y) * 4 + x) * 4], &table[((z * 4 + y) * 4 + x) * 4] + 4); };
  EXPECT_EQ(entry(0, 0, 0), (std::vector<uint8_t>{1, 0, 0, 2}));  // only the top covers it
  EXPECT_EQ(entry(2, 1, 1), (std::vector<uint8_t>{0, 1, 0, 1}));  // mid covers x 2..3, y 0..1, z 0..1
  EXPECT_EQ(entry(3, 1, 0), (std::vector<uint8_t>{1, 1, 0, 0}));  // the fine brick itself
  EXPECT_EQ(entry(3, 3, 3), (std::vector<uint8_t>{1, 0, 0, 2}));
  // Full: the least recently used brick outside `keep` gives its slot; none when all are kept.
  slots.Touch(mid);
  const BrickKey other{0, 0, 0, 0, 0};
  EXPECT_EQ(slots.Place(other, keep), 3);  // fine was used longest ago
  EXPECT_EQ(slots.SlotOf(fine), -1);
  EXPECT_EQ(slots.Place(fine, BrickSet{top, mid, other}), -1);
  // A brick no longer placed leaves its entries to its coarser ancestor.
  EXPECT_EQ(BuildPageTable(kLevels, {top, mid, fine}, slots)[((0 * 4 + 1) * 4 + 3) * 4 + 3], 1);
}

}  // namespace
}  // namespace lumetrix::streaming
