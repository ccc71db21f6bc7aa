#include <gtest/gtest.h>

#include "render/texture_slices.h"

namespace lumetrix {
namespace {

// A grey volume whose voxel (p, x, y) holds a value that names its position.
VolumeData Numbered(int32_t w, int32_t h, int32_t d, bool grey = true) {
  VolumeData v;
  v.Width = w, v.Height = h, v.Depth = d, v.IsGrey = grey;
  v.Samples.resize(static_cast<size_t>(w) * h * d * (grey ? 1 : 3));
  for (int c = 0; c < (grey ? 1 : 3); ++c)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        for (int32_t p = 0; p < d; ++p) v.Samples[v.Index(p, x, y, c)] = static_cast<uint8_t>(p * 31 + x * 7 + y * 3 + c * 50);
  return v;
}

TEST(StackLayout, CountsFollowTheSliceStepWithHalfEvenRounding) {
  VolumeData v = Numbered(1, 1, 1);
  v.Width = 512, v.Height = 512, v.Depth = 30;
  EXPECT_EQ(LayoutOf(v, Stack::XY, 4).Count, 30);
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).Count, 128);
  EXPECT_EQ(LayoutOf(v, Stack::XZ, 4).Count, 128);
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).Reserved, 512);
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).Columns, 512);  // H columns
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).Rows, 30);      // D rows
  v.Width = 510;
  EXPECT_EQ(LastSliceIndex(510, 4), 126);
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).Count, 127);
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).ProgressMax, 128);  // 127.5 rounds to even
  EXPECT_EQ(LastSliceIndex(514, 4), 128);
  // Tiny volumes give empty or single stacks.
  v = Numbered(1, 2, 1);
  EXPECT_EQ(LayoutOf(v, Stack::YZ, 4).Count, 0);  // 1/4 - 1 = -0.75 -> -1
  EXPECT_EQ(LayoutOf(v, Stack::XZ, 4).Count, 1);  // 2/4 - 1 = -0.5 -> 0
  EXPECT_EQ(LayoutOf(v, Stack::XZ, 4).ProgressMax, 0);
  EXPECT_EQ(LayoutOf(v, Stack::XY, 4).Count, 1);
}

TEST(SliceExtraction, EachStackShowsItsSliceInBgrWithPageZeroOnTop) {
  const VolumeData v = Numbered(9, 6, 5);
  std::vector<uint8_t> out;
  ExtractSliceBgr(v, Stack::XY, 3, 4, out);
  ASSERT_EQ(out.size(), 9u * 6 * 3);
  EXPECT_EQ(out[(2 * 9 + 5) * 3], v.At(3, 5, 2));  // pixel (x 5, y 2) = voxel (3, 5, 2)
  EXPECT_EQ(out[(2 * 9 + 5) * 3 + 1], v.At(3, 5, 2));

  ExtractSliceBgr(v, Stack::YZ, 2, 4, out);  // column 8
  ASSERT_EQ(out.size(), 6u * 5 * 3);
  for (int p = 0; p < 5; ++p)
    for (int y = 0; y < 6; ++y) EXPECT_EQ(out[(p * 6 + y) * 3 + 2], v.At(p, 8, y)) << p << "," << y;

  ExtractSliceBgr(v, Stack::XZ, 1, 4, out);  // row 4
  ASSERT_EQ(out.size(), 9u * 5 * 3);
  for (int p = 0; p < 5; ++p)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(out[(p * 9 + x) * 3], v.At(p, x, 4));
  // Colour volumes put red in the third byte.
  const VolumeData c = Numbered(4, 4, 2, false);
  ExtractSliceBgr(c, Stack::XY, 1, 4, out);
  const size_t i = (3 * 4 + 2) * 3;
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + i, out.begin() + i + 3),
            (std::vector<uint8_t>{c.At(1, 2, 3, 2), c.At(1, 2, 3, 1), c.At(1, 2, 3, 0)}));
}

TEST(ResampleSize, ScalesStretchTheSlicesAndImpossibleOnesGiveAReadableError) {
  auto size = [](int32_t c, int32_t r, float sc, float sr) {
    const SliceSize s = ResampleSize(c, r, sc, sr);
    return std::pair<int, int>(s.Columns, s.Rows);
  };
  float sc = 0, sr = 0;
  StackScales(Stack::XY, 30, 30, 100, sc, sr);
  EXPECT_EQ(size(512, 512, sc, sr), std::pair(512, 512));
  StackScales(Stack::YZ, 30, 30, 100, sc, sr);
  EXPECT_EQ(size(512, 30, sc, sr), std::pair(512, 100));  // z slices grow taller
  EXPECT_EQ(size(200, 30, 30, 10), std::pair(600, 30));   // or wider
  EXPECT_THROW(ResampleSize(512, 30, 30, 0), SliceSizeError);     // zero: infinitely wide
  EXPECT_THROW(ResampleSize(512, 30, 30, -100), SliceSizeError);  // negative
  try {
    ResampleSize(512, 300, 1, 1000);  // 300000 rows
    ADD_FAILURE();
  } catch (const SliceSizeError& e) {
    EXPECT_NE(std::string(e.what()).find("Overflow"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("32767"), std::string::npos);
  }
}

}  // namespace
}  // namespace lumetrix
