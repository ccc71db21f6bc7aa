#include <gtest/gtest.h>

#include "export/gif/pal8bpp.h"
#include "gif_test_support.h"

namespace lumetrix::gif {
namespace {

using testing::SolidPicture;

TEST(Pal8bpp, GreyScaleModes) {
  cPal8bpp pal;
  ASSERT_TRUE(pal.CreateGreyScale(0));
  EXPECT_EQ(pal.Entries(), 2);
  EXPECT_EQ(pal.rgbR(1), 255);
  ASSERT_TRUE(pal.CreateGreyScale(1));
  EXPECT_EQ(pal.Entries(), 16);
  EXPECT_EQ(pal.rgbG(15), 255);
  EXPECT_EQ(pal.rgbB(3), 51);
  ASSERT_TRUE(pal.CreateGreyScale(2));
  EXPECT_EQ(pal.Entries(), 256);
  EXPECT_EQ(pal.rgbR(200), 200);
  EXPECT_TRUE(pal.IsGreyScale());
  EXPECT_TRUE(pal.HasLogicalPalette());
  EXPECT_FALSE(pal.CreateGreyScale(3));
}

TEST(Pal8bpp, HalftoneCubes) {
  const int expected[] = {8, 27, 64, 125, 216};
  cPal8bpp pal;
  for (int level = 0; level <= 4; ++level) {
    ASSERT_TRUE(pal.CreateHalftone(level));
    EXPECT_EQ(pal.Entries(), expected[level]) << level;
  }
  // Level 1: the values 0, 128 and 256 written as 255.
  pal.CreateHalftone(1);
  EXPECT_EQ(pal.rgbR(1), 128);
  EXPECT_EQ(pal.rgbR(2), 255);
  EXPECT_EQ(pal.rgbG(3), 128);  // green in the middle loop
  EXPECT_EQ(pal.rgbB(9), 128);  // blue outermost
  pal.CreateHalftone(4);
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r) {
        const int i = 36 * b + 6 * g + r;
        ASSERT_EQ(pal.rgbR(i), r * 51);
        ASSERT_EQ(pal.rgbG(i), g * 51);
        ASSERT_EQ(pal.rgbB(i), b * 51);
      }
  EXPECT_FALSE(pal.IsGreyScale());
  EXPECT_EQ(pal.PaletteEntries()[216], RGBQuad{});
  EXPECT_FALSE(pal.CreateHalftone(5));
}

TEST(Pal8bpp, ClosestIndexUsesTheSnapshotAndLowestIndexOnTies) {
  cPal8bpp pal;
  EXPECT_EQ(pal.ClosestIndex(10, 10, 10), 0);  // nothing built yet
  pal.Initialize(3);
  pal.SetrgbR(0, 100);
  pal.SetrgbR(1, 110);
  pal.SetrgbR(2, 200);
  EXPECT_EQ(pal.ClosestIndex(199, 0, 0), 0);  // the snapshot is taken by BuildLogicalPalette
  pal.BuildLogicalPalette();
  EXPECT_EQ(pal.ClosestIndex(199, 0, 0), 2);
  EXPECT_EQ(pal.ClosestIndex(105, 0, 0), 0);  // equally far from 100 and 110
  EXPECT_EQ(pal.ClosestIndex(106, 0, 0), 1);
  uint8_t r = 0, g = 0, b = 0;
  pal.ClosestColor(180, 3, 3, r, g, b);
  EXPECT_EQ(r, 200);
  EXPECT_EQ(g, 0);
  pal.Destroy();
  EXPECT_EQ(pal.Entries(), 0);
  EXPECT_FALSE(pal.HasLogicalPalette());
  EXPECT_TRUE(pal.IsGreyScale());
}

TEST(Pal8bpp, EntryAccessOutsideTheTableIsHarmless) {
  cPal8bpp pal;
  pal.Initialize(300);
  EXPECT_EQ(pal.Entries(), 256);
  pal.SetrgbR(256, 1);
  pal.SetrgbG(-1, 1);
  EXPECT_EQ(pal.rgbB(999), 0);
  pal.SetEntries(-5);
  EXPECT_EQ(pal.Entries(), 0);
}

TEST(OctreePalette, ColoursOfOneDeepCellBecomeTheirAverage) {
  cDIB picture = SolidPicture(4, 2, 0, 0, 0);
  for (int x = 0; x < 4; ++x) picture.SetPixel(x, 1, MakeRGBQuad(2, 2, 2));
  cPal8bpp pal;
  ASSERT_TRUE(pal.CreateOptimal(picture, 256, 6, 1.0, 1.0, 1.0));
  ASSERT_EQ(pal.Entries(), 1);
  EXPECT_EQ(pal.rgbR(0), 1);
  EXPECT_EQ(pal.rgbG(0), 1);
  EXPECT_EQ(pal.rgbB(0), 1);
}

TEST(OctreePalette, AveragesRoundHalfToEven) {
  // (0,0,0) and (1,1,1) share a leaf: the mean 0.5 rounds to 0; (2,2,2) and (3,3,3): 2.5 to 2.
  cDIB a = SolidPicture(2, 1, 0, 0, 0);
  a.SetPixel(1, 0, MakeRGBQuad(1, 1, 1));
  cPal8bpp pal;
  pal.CreateOptimal(a, 256, 6, 1, 1, 1);
  ASSERT_EQ(pal.Entries(), 1);
  EXPECT_EQ(pal.rgbR(0), 0);
  cDIB b = SolidPicture(2, 1, 2, 2, 2);
  b.SetPixel(1, 0, MakeRGBQuad(3, 3, 3));
  pal.CreateOptimal(b, 256, 6, 1, 1, 1);
  ASSERT_EQ(pal.Entries(), 1);
  EXPECT_EQ(pal.rgbR(0), 2);
}

TEST(OctreePalette, MidpointsSplitAt128ThenHalves) {
  // The root splits 0 … 255 at round(127.5) = 128: 127 and 128 land in different leaves.
  cDIB picture = SolidPicture(2, 1, 127, 0, 0);
  picture.SetPixel(1, 0, MakeRGBQuad(128, 0, 0));
  cPal8bpp pal;
  pal.CreateOptimal(picture, 256, 1, 1, 1, 1);
  ASSERT_EQ(pal.Entries(), 2);
  // Depth 1: 0 … 127 lands with 127, 128 … 255 with 128. Leaves in pool order.
  EXPECT_EQ(pal.rgbR(0), 127);
  EXPECT_EQ(pal.rgbR(1), 128);
  // At depth 6 the cell of 0 is 0 … 3 (splits 128, 64, 32, 16, 8, 4): 3 and 4 separate.
  cDIB near = SolidPicture(2, 1, 3, 0, 0);
  near.SetPixel(1, 0, MakeRGBQuad(4, 0, 0));
  pal.CreateOptimal(near, 256, 6, 1, 1, 1);
  EXPECT_EQ(pal.Entries(), 2);
}

TEST(OctreePalette, WeightsScaleTheChannelBeforeTheSplit) {
  // Red 100 weighted 2.0 counts as 200 and goes to the upper half with red 200.
  cDIB picture = SolidPicture(2, 1, 100, 0, 0);
  picture.SetPixel(1, 0, MakeRGBQuad(200, 0, 0));
  cPal8bpp pal;
  pal.CreateOptimal(picture, 256, 1, 2.0, 1.0, 1.0);
  ASSERT_EQ(pal.Entries(), 1);
  EXPECT_EQ(pal.rgbR(0), 150);
}

TEST(OctreePalette, ReducesTheMostRecentDeepestNodeFirst) {
  // Depth 2: the root's children are inner nodes (level-1 list), their children leaves.
  // 10 and 100 lie under N1 (red < 128), then 150 and 250 under N2 (split at 192).
  cDIB picture;
  ASSERT_TRUE(picture.Create(4, 1, 32));
  const uint8_t reds[] = {10, 100, 150, 250};
  for (int x = 0; x < 4; ++x) picture.SetPixel(x, 0, MakeRGBQuad(reds[x], 0, 0));
  cPal8bpp pal;
  pal.CreateOptimal(picture, 3, 2, 1, 1, 1);
  // The fourth leaf forces one reduction: N2, listed last, is folded into the mean 200.
  ASSERT_EQ(pal.Entries(), 3);
  EXPECT_EQ(pal.rgbR(0), 10);
  EXPECT_EQ(pal.rgbR(1), 100);
  EXPECT_EQ(pal.rgbR(2), 200);
  // With two colours wanted, N1 goes too: its mean 55, then N2, in pool order.
  pal.CreateOptimal(picture, 2, 2, 1, 1, 1);
  ASSERT_EQ(pal.Entries(), 2);
  EXPECT_EQ(pal.rgbR(0), 55);
  EXPECT_EQ(pal.rgbR(1), 200);
}

TEST(OctreePalette, LeavesComeInPoolOrderWithFreedNodesReused) {
  // Depth 2, at most 2 colours. Pool: root 0, N2 1, leaf150 2, leaf250 3; then 10 adds N1 4
  // and leaf10 5: three leaves, so N1 (listed last) folds to the leaf 10, then N2 to 200,
  // freeing 5, 2, 3 (3 on top). Green 200 then takes node 3 for its inner node N3 and 2 for
  // its leaf; N3 folds; the root's children cannot be folded, so three entries stay.
  cDIB picture;
  ASSERT_TRUE(picture.Create(4, 1, 32));
  picture.SetPixel(0, 0, MakeRGBQuad(150, 0, 0));
  picture.SetPixel(1, 0, MakeRGBQuad(250, 0, 0));
  picture.SetPixel(2, 0, MakeRGBQuad(10, 0, 0));
  picture.SetPixel(3, 0, MakeRGBQuad(0, 200, 0));
  cPal8bpp pal;
  pal.CreateOptimal(picture, 2, 2, 1, 1, 1);
  ASSERT_EQ(pal.Entries(), 3);
  EXPECT_EQ(pal.rgbR(0), 200);  // N2, node 1
  EXPECT_EQ(pal.rgbG(1), 200);  // N3, node 3
  EXPECT_EQ(pal.rgbR(2), 10);   // N1, node 4
}

TEST(OctreePalette, NeverMoreEntriesThanAsked) {
  const cDIB picture = testing::RenderedPicture(64, 48, 3, 7);
  cPal8bpp pal;
  for (int wanted : {8, 16, 100, 256}) {
    ASSERT_TRUE(pal.CreateOptimal(picture, wanted, 6, 1, 1, 1));
    EXPECT_LE(pal.Entries(), wanted);
    EXPECT_GT(pal.Entries(), wanted / 2);
  }
}

TEST(OctreePalette, IgnoresSourcesThatAreNot32Bit) {
  cDIB indexed;
  ASSERT_TRUE(indexed.Create(4, 4, 8));
  cPal8bpp pal;
  pal.CreateGreyScale(0);
  EXPECT_FALSE(pal.CreateOptimal(indexed, 256, 6, 1, 1, 1));
  EXPECT_EQ(pal.Entries(), 2);
  EXPECT_FALSE(pal.CreateOptimal(cDIB{}, 256, 6, 1, 1, 1));
}

TEST(OctreePalette, OutOfRangeDepthAndCountAreClamped) {
  const cDIB picture = testing::RenderedPicture(16, 16, 0, 1);
  cPal8bpp pal;
  EXPECT_TRUE(pal.CreateOptimal(picture, 1000, 0, 1, 1, 1));
  EXPECT_LE(pal.Entries(), 8);  // depth 1: at most the root's eight children
  EXPECT_TRUE(pal.CreateOptimal(picture, -3, 40, 1, 1, 1));
  EXPECT_GE(pal.Entries(), 1);
  EXPECT_LE(pal.Entries(), 8);  // the root's children cannot be folded further
}

}  // namespace
}  // namespace lumetrix::gif
