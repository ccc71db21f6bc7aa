// The 1-, 8- and 32-bit bitmaps, and the import half of the AVI-to-GIF converter on them (its
// saved frames, the right way up and with the channels swapped, are decoded in the converter's tests).

#include <gtest/gtest.h>

#include "export/gif/animation_builder.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace testing;

TEST(Dib, RowsArePaddedToWholeWordsAndBadSizesAreRefused) {
  cDIB dib;
  for (const auto& [w, h, bits, stride] : {std::tuple{5, 3, 8, 8}, {33, 2, 1, 8}, {3, 2, 32, 12}}) {
    ASSERT_TRUE(dib.Create(w, h, bits));
    EXPECT_EQ(std::tuple(dib.Stride(), dib.SizeInBytes(), dib.Width(), dib.Height(), dib.BitsPerPixel()),
              std::tuple(stride, static_cast<size_t>(stride * h), w, h, bits));
  }
  // 65535 x 65535 x 4 bytes is far beyond the byte limit: refused before allocating.
  for (const auto& [w, h, bits] : {std::tuple{0, 10, 8}, {10, -1, 8}, {10, 10, 24}, {65536, 1, 8}, {65535, 65535, 32}}) {
    EXPECT_FALSE(dib.Create(w, h, bits)) << w << " x " << h << " x " << bits;
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(dib.Width(), 0);
  }
}

TEST(Dib, PixelAccessIsCheckedAndRowZeroComesFirst) {
  cDIB dib;
  ASSERT_TRUE(dib.Create(4, 3, 8));
  EXPECT_TRUE(dib.SetIndex(1, 2, 77));
  EXPECT_EQ(dib.Bits()[2 * dib.Stride() + 1], 77);
  EXPECT_EQ(dib.Row(2)[1], 77);
  EXPECT_FALSE(dib.SetIndex(4, 0, 1));
  EXPECT_FALSE(dib.SetIndex(0, -1, 1));
  EXPECT_EQ(dib.Index(9, 9), 0);
  EXPECT_FALSE(dib.SetPixel(0, 0, RGBQuad{}));  // not a 32-bit bitmap
  dib.Palette()[200] = MakeRGBQuad(1, 2, 3);
  const RGBQuad two[2] = {MakeRGBQuad(9, 8, 7), MakeRGBQuad(6, 5, 4)};
  dib.SetPalette(two, 2);
  EXPECT_EQ(dib.Palette()[1], two[1]);
  EXPECT_EQ(dib.Palette()[200], RGBQuad{});  // the rest is zeroed
  cDIB mask;
  ASSERT_TRUE(mask.Create(10, 1, 1));
  mask.SetBit(0, 0, true);
  mask.SetBit(9, 0, true);
  EXPECT_EQ(std::tuple(mask.Row(0)[0], mask.Row(0)[1], mask.Bit(9, 0), mask.Bit(8, 0)), std::tuple(0x80, 0x40, true, false));
  cDIB picture;
  ASSERT_TRUE(picture.Create(2, 3, 32));
  for (int y = 0; y < 3; ++y) picture.SetPixel(0, y, MakeRGBQuad(static_cast<uint8_t>(y), 0, 0));
  picture.FlipVertical();
  for (int y = 0; y < 3; ++y) EXPECT_EQ(picture.Pixel(0, y).red, 2 - y);
}

TEST(AnimationBuilder, FrameTimeAndDelayRoundHalfToEven) {
  for (const auto& [endMs, frames, ms] : {std::tuple{3000.0, 45, 67}, {100.0, 8, 12}, {1000.0, 0, 0}, {-5.0, 3, 0}})
    EXPECT_EQ(GifAnimationBuilder::TimePerFrameMs(endMs, frames), ms) << endMs << " / " << frames;
  for (const auto& [ms, hundredths] : {std::pair{67, 7}, {65, 6}, {75, 8}, {2000000000, 65535}})
    EXPECT_EQ(GifAnimationBuilder::DelayHundredths(ms), hundredths) << ms;
}

// Frame 1 gives the palette; later frames are reduced to it and carry a copy. Grey mode gives
// 256 greys; odd sizes work; an indexed picture is refused.
TEST(AnimationBuilder, AllFramesShareTheFirstFramesPalette) {
  cGIF doc;
  mDither8bpp dither;
  GifAnimationBuilder builder(doc, dither);
  cDIB first = SolidPicture(5, 5, 10, 20, 30), second = SolidPicture(5, 5, 200, 100, 0);
  ASSERT_TRUE(builder.AddFrame(first, false, false, 40));
  ASSERT_TRUE(builder.AddFrame(second, false, false, 40));
  builder.Finish();
  EXPECT_EQ(doc.GlobalPaletteEntries(), 1);
  const clsGIFframe& f = doc.Frame(2);
  EXPECT_EQ(std::tuple(f.LocalPaletteEntries(), f.LocalPaletteRGBEntry(0), f.LocalPaletteUsed(), f.frameDelay()),
            std::tuple(1, MakeRGBQuad(10, 20, 30), false, 4));
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  dither.SetDitherMode(mDither8bpp::kFloydSteinberg);
  GifAnimationBuilder grey(doc, dither);
  cDIB work = RenderedPicture(13, 7, 3), indexed;
  ASSERT_TRUE(grey.AddFrame(work, false, false, 100));
  indexed.Create(13, 7, 8);
  EXPECT_FALSE(grey.AddFrame(indexed, false, false, 100));
  grey.Finish();
  EXPECT_EQ(std::tuple(doc.GlobalPaletteEntries(), doc.ScreenWidth(), doc.ScreenHeight(), doc.FramesCount()),
            std::tuple(256, 13, 7, 1));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(doc.GlobalPaletteRGBEntry(i), MakeRGBQuad(i, i, i));
}

}  // namespace
}  // namespace lumetrix::gif
