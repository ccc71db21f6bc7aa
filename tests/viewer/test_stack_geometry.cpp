#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/scale_bar.h"
#include "render/stack_geometry.h"

namespace lumetrix {
namespace {

TEST(ChooseStack, RangeEdgesRoundingSignKeepingModAndTheXTestWinning) {
  const struct {
    float x, y;
    Stack stack;
  } cases[] = {{45, 0, Stack::XY},    {46, 0, Stack::XZ},    {134, 0, Stack::XZ},   {135, 0, Stack::XY},
               {44.5f, 0, Stack::XY}, {45.5f, 0, Stack::XZ}, {-90, 0, Stack::XZ},   {270, 0, Stack::XZ},
               {90, 90, Stack::XZ},   {0, 100, Stack::YZ},   {0, -100, Stack::YZ},  {180, 0, Stack::XY},
               {0, 45, Stack::XY},    {0, 46, Stack::YZ},    {0, 134, Stack::YZ},   {0, 135, Stack::XY},
               {1e10f, 0, Stack::XZ}};  // 1e10 mod 180 = 100: no 32-bit overflow
  for (const auto& c : cases) EXPECT_EQ(ChooseStack(c.x, c.y), c.stack) << c.x << ", " << c.y;
}

TEST(StackQuads, DefaultVolumeSpansUnitSquareAndThinDepthWithYZFromPlusX) {
  const VolumeExtent e{512, 512, 30, 30, 30, 100};
  const auto xy = StackQuads(Stack::XY, e, 4);
  ASSERT_EQ(xy.size(), 30u);
  EXPECT_NEAR(xy.front().Vertices[0].z, 30.0 * 100 / (512 * 30), 1e-6);  // page 0 at +z: 0.195
  EXPECT_NEAR(xy.back().Vertices[0].z, (1 - 2.0 * 29 / 30) * 30 * 100 / (512 * 30), 1e-6);
  EXPECT_EQ(xy[0].Vertices[0].x, -1);
  EXPECT_EQ(xy[0].Vertices[2].y, 1);
  EXPECT_EQ(xy[7].Texture, 7);
  // YZ draws its textures in reverse, from +x, each at the -x edge of its column (508, ..., 0).
  const auto yz = StackQuads(Stack::YZ, e, 4);
  ASSERT_EQ(yz.size(), 128u);
  EXPECT_EQ(yz[0].Texture, 127);
  EXPECT_FLOAT_EQ(yz[0].Vertices[0].x, static_cast<float>(-1 + 2.0 * 508 / 512));
  EXPECT_FLOAT_EQ(yz[127].Vertices[0].x, -1.0f);
  // Column 0 of a YZ image (row 0 of the volume) sits at +y; page 0 (t = 1) at +z.
  EXPECT_EQ(yz[0].Vertices[1].s, 0);
  EXPECT_EQ(yz[0].Vertices[1].y, 1);
  EXPECT_EQ(yz[0].Vertices[2].t, 1);
  EXPECT_GT(yz[0].Vertices[2].z, 0);
}

TEST(StackQuads, XZHasTheDepthOfTheXYStackAndTinyVolumesHaveNoSides) {
  const VolumeExtent e{256, 128, 10, 30, 60, 100};
  const auto xz = StackQuads(Stack::XZ, e, 4);
  ASSERT_EQ(xz.size(), 32u);
  EXPECT_NEAR(xz[0].Vertices[2].z, StackQuads(Stack::XY, e, 4)[0].Vertices[0].z, 1e-6);
  EXPECT_NEAR(xz[0].Vertices[2].z, 10.0 * 100 / (256 * 30), 1e-6);
  EXPECT_FLOAT_EQ(xz[1].Vertices[0].y, static_cast<float>(1 - 2.0 * 4 / 128));
  // With the file's voxel size the 256 x 128 pages of voxels 30 x 45 are 0.75 as tall as wide,
  // in every stack.
  VolumeExtent file = e;
  file.ScaleY = 45, file.TrueAspect = true;
  for (Stack s : {Stack::XY, Stack::YZ}) EXPECT_FLOAT_EQ(StackQuads(s, file, 4)[0].Vertices[2].y, 0.75f);
  EXPECT_FLOAT_EQ(StackQuads(Stack::XZ, file, 4)[1].Vertices[0].y, static_cast<float>((1 - 2.0 * 4 / 128) * 0.75));
  // Tiny volumes have no side quads.
  const VolumeExtent tiny{1, 1, 1, 30, 30, 100};
  EXPECT_TRUE(StackQuads(Stack::YZ, tiny, 4).empty());
  EXPECT_EQ(StackQuads(Stack::XY, tiny, 4).size(), 1u);
}

TEST(NiceLength, LargestOneTwoFiveStepNotAboveTheRoom) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> cases[] = {{1, 1},     {1.9, 1},   {2, 2},       {4.99, 2},    {5, 5},
                                             {9.99, 5},  {10, 10},   {19.88, 10},  {0.3, 0.2},   {0.07, 0.05},
                                             {1000, 1000}, {999, 500}, {0, 0},     {-3, 0},      {inf, 0}, {NAN, 0}};
  for (const auto& [most, length] : cases) EXPECT_DOUBLE_EQ(NiceLength(most), length) << most;
  EXPECT_EQ(LengthLabel(20, "px") + LengthLabel(0.5, "um"), "20 px0.5 um");
}

}  // namespace
}  // namespace lumetrix
