#include <gtest/gtest.h>

#include "export/gif/dib.h"

namespace lumetrix::gif {
namespace {

TEST(Dib, RowsArePaddedToWholeWords) {
  cDIB dib;
  ASSERT_TRUE(dib.Create(5, 3, 8));
  EXPECT_EQ(dib.Stride(), 8);
  EXPECT_EQ(dib.SizeInBytes(), 24u);
  ASSERT_TRUE(dib.Create(33, 2, 1));
  EXPECT_EQ(dib.Stride(), 8);
  ASSERT_TRUE(dib.Create(3, 2, 32));
  EXPECT_EQ(dib.Stride(), 12);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.BitsPerPixel(), 32);
}

TEST(Dib, RejectsSizesAndDepthsItCannotHold) {
  cDIB dib;
  EXPECT_FALSE(dib.Create(0, 10, 8));
  EXPECT_FALSE(dib.Create(10, -1, 8));
  EXPECT_FALSE(dib.Create(10, 10, 24));
  EXPECT_FALSE(dib.Create(65536, 1, 8));
  // 65535 x 65535 x 4 bytes is far beyond the byte limit: refused before allocating.
  EXPECT_FALSE(dib.Create(65535, 65535, 32));
  EXPECT_TRUE(dib.IsEmpty());
  EXPECT_EQ(dib.Width(), 0);
}

TEST(Dib, PixelAccessIsCheckedAndRowZeroComesFirst) {
  cDIB dib;
  ASSERT_TRUE(dib.Create(4, 3, 8));
  EXPECT_TRUE(dib.SetIndex(1, 2, 77));
  EXPECT_EQ(dib.Row(2)[1], 77);
  EXPECT_EQ(dib.Bits()[2 * dib.Stride() + 1], 77);
  EXPECT_FALSE(dib.SetIndex(4, 0, 1));
  EXPECT_FALSE(dib.SetIndex(0, -1, 1));
  EXPECT_EQ(dib.Index(9, 9), 0);
  EXPECT_FALSE(dib.SetPixel(0, 0, RGBQuad{}));  // not a 32-bit bitmap

  cDIB mask;
  ASSERT_TRUE(mask.Create(10, 1, 1));
  mask.SetBit(0, 0, true);
  mask.SetBit(9, 0, true);
  EXPECT_EQ(mask.Row(0)[0], 0x80);
  EXPECT_EQ(mask.Row(0)[1], 0x40);
  EXPECT_TRUE(mask.Bit(9, 0));
  EXPECT_FALSE(mask.Bit(8, 0));
}

TEST(Dib, FlipVerticalReversesTheRows) {
  cDIB dib;
  ASSERT_TRUE(dib.Create(2, 3, 32));
  for (int y = 0; y < 3; ++y) dib.SetPixel(0, y, MakeRGBQuad(static_cast<uint8_t>(y), 0, 0));
  dib.FlipVertical();
  for (int y = 0; y < 3; ++y) EXPECT_EQ(dib.Pixel(0, y).red, 2 - y);
}

TEST(Dib, SetPaletteZeroesTheRest) {
  cDIB dib;
  ASSERT_TRUE(dib.Create(1, 1, 8));
  dib.Palette()[200] = MakeRGBQuad(1, 2, 3);
  const RGBQuad two[2] = {MakeRGBQuad(9, 8, 7), MakeRGBQuad(6, 5, 4)};
  dib.SetPalette(two, 2);
  EXPECT_EQ(dib.Palette()[1], MakeRGBQuad(6, 5, 4));
  EXPECT_EQ(dib.Palette()[200], RGBQuad{});
}

}  // namespace
}  // namespace lumetrix::gif
