// Palettes: grey scales, halftone cubes, the closest entry, the octree's optimal palette and the
// best palette's median cut, worked out by hand.

#include <gtest/gtest.h>

#include <algorithm>

#include "export/gif/best_palette.h"
#include "export/gif/pal8bpp.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

using testing::SolidPicture;

// A picture of one row of these colours.
cDIB Row(std::initializer_list<RGBQuad> colours) {
  cDIB picture;
  EXPECT_TRUE(picture.Create(static_cast<int32_t>(colours.size()), 1, 32));
  int x = 0;
  for (const RGBQuad& c : colours) picture.SetPixel(x++, 0, c);
  return picture;
}
RGBQuad Red(uint8_t r) { return MakeRGBQuad(r, 0, 0); }
RGBQuad Grey(uint8_t v) { return MakeRGBQuad(v, v, v); }

TEST(Pal8bpp, GreyScalesAndHalftoneCubes) {
  cPal8bpp pal;
  for (const auto& [mode, entries] : {std::pair{0, 2}, {1, 16}, {2, 256}}) {
    ASSERT_TRUE(pal.CreateGreyScale(mode));
    ASSERT_EQ(pal.Entries(), entries);
    for (int i = 0; i < entries; ++i) ASSERT_EQ(pal.PaletteEntries()[i], Grey(static_cast<uint8_t>(i * 255 / (entries - 1))));
  }
  EXPECT_FALSE(pal.CreateGreyScale(3));
  for (const auto& [level, entries] : {std::pair{0, 8}, {1, 27}, {2, 64}, {3, 125}, {4, 216}}) {
    ASSERT_TRUE(pal.CreateHalftone(level));
    EXPECT_EQ(pal.Entries(), entries) << level;
  }
  // Red innermost, blue outermost; level 1: the values 0, 128 and 256 written as 255.
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r) ASSERT_EQ(pal.PaletteEntries()[36 * b + 6 * g + r], MakeRGBQuad(r * 51, g * 51, b * 51));
  EXPECT_EQ(pal.PaletteEntries()[216], RGBQuad{});
  pal.CreateHalftone(1);
  EXPECT_EQ(std::tuple(pal.rgbR(1), pal.rgbR(2), pal.rgbG(3), pal.rgbB(9)), std::tuple(128, 255, 128, 128));
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
  EXPECT_EQ(std::tuple(pal.ClosestIndex(199, 0, 0), pal.ClosestIndex(105, 0, 0), pal.ClosestIndex(106, 0, 0)),
            std::tuple(2, 0, 1));  // 105 is equally far from 100 and 110
  pal.Destroy();
  EXPECT_EQ(pal.Entries(), 0);
}

// CreateOptimal(picture, colours, depth, weights): the red values of the entries it gives.
std::vector<int> OptimalReds(const cDIB& picture, int colours, int depth, double redWeight = 1.0) {
  cPal8bpp pal;
  EXPECT_TRUE(pal.CreateOptimal(picture, colours, depth, redWeight, 1.0, 1.0));
  std::vector<int> reds;
  for (int i = 0; i < pal.Entries(); ++i) reds.push_back(pal.rgbR(i));
  return reds;
}

TEST(BestPalette, TheMedianCutSplitsWhereTheCountReachesHalfOnASample) {
  // 257 colours for 256 entries: 253 far ones (red and green 17 .. 255 in steps of 17, blue 255
  // or 238), 10 pixels each, and four near black, one pixel each, blue 0, 3, 5, 7. Any box of two
  // far colours spreads at least 2 * 10 * 8.5^2 = 1445; the four lie first along every channel
  // and no median of a box holding a far colour (half >= 7) falls among them, so the far ones
  // end alone and the four in one box (spread 83 - 15^2 / 4 = 26.75). Its median: counts 1, 1 reach
  // half of 4 exactly at blue 3, so {0, 3} (spread 4.5) and {5, 7} (2); {0, 3} splits, leaving
  // the mean 6. k-means keeps it: 5 and 7 are nearer 6 than 3. (Cutting after the sample
  // instead gives {0, 3}, 5, 7 -> entries 2, 5, 7.)
  cDIB picture;
  ASSERT_TRUE(picture.Create(253 * 10 + 4, 1, 32));
  int x = 0;
  for (int k = 0; k < 253; ++k)
    for (int n = 0; n < 10; ++n)
      picture.SetPixel(x++, 0, MakeRGBQuad(static_cast<uint8_t>(17 * (1 + k % 15)), static_cast<uint8_t>(17 * (1 + k / 15 % 15)),
                                           k < 225 ? 255 : 238));
  for (uint8_t blue : {0, 3, 5, 7}) picture.SetPixel(x++, 0, MakeRGBQuad(0, 0, blue));
  BestPalette best;
  best.Count(picture);
  best.Build();
  ASSERT_EQ(best.Entries().size(), 256u);
  std::vector<int> dark;
  for (const RGBQuad& e : best.Entries())
    if (e.red + e.green == 0) dark.push_back(e.blue);
  std::sort(dark.begin(), dark.end());
  EXPECT_EQ(dark, (std::vector<int>{0, 3, 6}));
}

TEST(OctreePalette, LeavesAverageTheirColoursRoundingHalfToEven) {
  // A deep cell: 0 and 2 average to 1 in every channel; 0 and 1 to 0.5 -> 0; 2 and 3 to 2.5 -> 2.
  cDIB picture = SolidPicture(4, 2, 0, 0, 0);
  for (int x = 0; x < 4; ++x) picture.SetPixel(x, 1, Grey(2));
  cPal8bpp pal;
  ASSERT_TRUE(pal.CreateOptimal(picture, 256, 6, 1, 1, 1));
  EXPECT_EQ(std::tuple(pal.Entries(), pal.rgbR(0), pal.rgbG(0), pal.rgbB(0)), std::tuple(1, 1, 1, 1));
  EXPECT_EQ(OptimalReds(Row({Grey(0), Grey(1)}), 256, 6), std::vector<int>{0});
  EXPECT_EQ(OptimalReds(Row({Grey(2), Grey(3)}), 256, 6), std::vector<int>{2});
}

TEST(OctreePalette, MidpointsSplitAt128ThenHalvesAndWeightsScaleTheChannel) {
  // The root splits 0 … 255 at round(127.5) = 128; leaves in pool order.
  EXPECT_EQ(OptimalReds(Row({Red(127), Red(128)}), 256, 1), (std::vector<int>{127, 128}));
  // At depth 6 the cell of 0 is 0 … 3 (splits 128, 64, 32, 16, 8, 4): 3 and 4 separate.
  EXPECT_EQ(OptimalReds(Row({Red(3), Red(4)}), 256, 6).size(), 2u);
  // Red 100 weighted 2.0 counts as 200 and goes to the upper half with red 200.
  EXPECT_EQ(OptimalReds(Row({Red(100), Red(200)}), 256, 1, 2.0), std::vector<int>{150});
}

TEST(OctreePalette, ReducesTheMostRecentDeepestNodeFirst) {
  // Depth 2: the root's children are inner nodes (level-1 list), their children leaves. 10 and
  // 100 lie under N1 (red < 128), 150 and 250 under N2 (split at 192). The fourth leaf forces one
  // reduction: N2, listed last, folds into the mean 200; with two colours N1 goes too (55).
  const cDIB picture = Row({Red(10), Red(100), Red(150), Red(250)});
  EXPECT_EQ(OptimalReds(picture, 3, 2), (std::vector<int>{10, 100, 200}));
  EXPECT_EQ(OptimalReds(picture, 2, 2), (std::vector<int>{55, 200}));
}

TEST(OctreePalette, LeavesComeInPoolOrderWithFreedNodesReused) {
  // Depth 2, at most 2 colours. Pool: root 0, N2 1, leaf150 2, leaf250 3; then 10 adds N1 4
  // and leaf10 5: three leaves, so N1 (listed last) folds to the leaf 10, then N2 to 200,
  // freeing 5, 2, 3 (3 on top). Green 200 then takes node 3 for its inner node N3 and 2 for
  // its leaf; N3 folds; the root's children cannot be folded, so three entries stay.
  cPal8bpp pal;
  pal.CreateOptimal(Row({Red(150), Red(250), Red(10), MakeRGBQuad(0, 200, 0)}), 2, 2, 1, 1, 1);
  ASSERT_EQ(pal.Entries(), 3);
  EXPECT_EQ(std::tuple(pal.rgbR(0), pal.rgbG(1), pal.rgbR(2)), std::tuple(200, 200, 10));  // N2, N3, N1
}

TEST(OctreePalette, NeverMoreEntriesThanAskedAndBadArgumentsAreSafe) {
  const cDIB picture = testing::RenderedPicture(64, 48, 7);
  cPal8bpp pal;
  for (int wanted : {8, 16, 100, 256}) {
    ASSERT_TRUE(pal.CreateOptimal(picture, wanted, 6, 1, 1, 1));
    EXPECT_LE(pal.Entries(), wanted);
    EXPECT_GT(pal.Entries(), wanted / 2);
  }
  // Depth and count out of range are clamped: depth 1 gives at most the root's eight children,
  // which cannot be folded further.
  EXPECT_TRUE(pal.CreateOptimal(picture, 1000, 0, 1, 1, 1));
  EXPECT_LE(pal.Entries(), 8);
  EXPECT_TRUE(pal.CreateOptimal(picture, -3, 40, 1, 1, 1));
  EXPECT_GE(pal.Entries(), 1);
  EXPECT_LE(pal.Entries(), 8);
  // Sources that are not 32-bit are ignored.
  cDIB indexed;
  ASSERT_TRUE(indexed.Create(4, 4, 8));
  pal.CreateGreyScale(0);
  EXPECT_FALSE(pal.CreateOptimal(indexed, 256, 6, 1, 1, 1));
  EXPECT_EQ(pal.Entries(), 2);
  EXPECT_FALSE(pal.CreateOptimal(cDIB{}, 256, 6, 1, 1, 1));
}

}  // namespace
}  // namespace lumetrix::gif
