// Crop limits and clipping planes in voxels of the file, taken into a coarser volume held in
// memory; expected values worked by hand.
#include <gtest/gtest.h>

#include <array>

#include "core/held_voxels.h"

namespace lumetrix {
namespace {

TEST(HeldVoxels, CropLimitsKeepTheSameStretchOfTheFile) {
  ViewState view;
  view.Crop.Limits = {0, 127, 8, 15, 100, kCropToEnd};
  // 8 file voxels per held one along each axis: file voxels 0..127 are held 0..15, 8..15 held 1,
  // from 100 on held 12.5 on, to the end stays.
  const ViewState held = InHeldVoxels(view, {1024, 1024, 512}, {128, 128, 64});
  const std::array<float, 6> expected{0, 15, 1, 1, 12.5f, kCropToEnd};
  EXPECT_EQ(held.Crop.Limits, expected);
  EXPECT_EQ(held.XRot, view.XRot);
}

TEST(HeldVoxels, PlanesCutBetweenTheSameVoxels) {
  struct Case {
    std::array<float, 4> file, held;
  };
  // Held centre h lies at file coordinate 8 h + 3.5 (x, z) or 2 h + 0.5 (y).
  const Case cases[] = {
      {{1, 0, 0, 511.5f}, {8, 0, 0, 508}},      // keeps file voxels 0..511: held 0..63 (8 h <= 508)
      {{0, 0, -2, -200}, {0, 0, -16, -193}},    // keeps z >= 100: held 13.. (-16 h <= -193)
      {{0, 3, 0, 30}, {0, 6, 0, 28.5f}},        // y at 2 per held voxel: 3 (2 h + 0.5) <= 30
      {{1, 1, 0, 0}, {8, 2, 0, -4}},            // both shifts together
  };
  for (const Case& c : cases) {
    ViewState view;
    view.Clip.On = true;
    view.Clip.Plane = c.file;
    const ViewState held = InHeldVoxels(view, {1024, 256, 512}, {128, 128, 64});
    EXPECT_EQ(held.Clip.Plane, c.held) << c.file[0] << " " << c.file[1] << " " << c.file[2] << " " << c.file[3];
    EXPECT_TRUE(held.Clip.On);
  }
}

TEST(HeldVoxels, AVolumeHeldWholeOrWithoutSizesIsLeftAsItIs) {
  ViewState view;
  view.Crop.Limits = {3, 9, 0, 5, 1, 2};
  view.Clip.Plane = {1, 2, 3, 4};
  for (const auto& [file, held] : {std::pair{VoxelSize3{64, 32, 16}, VoxelSize3{64, 32, 16}},
                                   std::pair{VoxelSize3{0, 0, 0}, VoxelSize3{64, 32, 16}}}) {
    const ViewState out = InHeldVoxels(view, file, held);
    EXPECT_EQ(out.Crop, view.Crop);
    EXPECT_EQ(out.Clip, view.Clip);
  }
}

}  // namespace
}  // namespace lumetrix
