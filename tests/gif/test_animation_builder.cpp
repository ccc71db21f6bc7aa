// The import half of the AVI-to-GIF converter on plain bitmaps.
#include <gtest/gtest.h>

#include "export/gif/animation_builder.h"
#include "gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace lumetrix::gif::testing;

TEST(AnimationBuilder, FrameTimeAndDelayOfAThreeSecondMovie) {
  EXPECT_EQ(GifAnimationBuilder::TimePerFrameMs(3000.0, 45), 67);
  EXPECT_EQ(GifAnimationBuilder::DelayHundredths(67), 7);
  EXPECT_EQ(GifAnimationBuilder::DelayHundredths(65), 6);  // 6.5 to the even 6
  EXPECT_EQ(GifAnimationBuilder::DelayHundredths(75), 8);  // 7.5 to the even 8
  EXPECT_EQ(GifAnimationBuilder::TimePerFrameMs(100.0, 8), 12);  // 12.5 to 12
  EXPECT_EQ(GifAnimationBuilder::TimePerFrameMs(1000.0, 0), 0);
  EXPECT_EQ(GifAnimationBuilder::TimePerFrameMs(-5.0, 3), 0);
  EXPECT_EQ(GifAnimationBuilder::DelayHundredths(2000000000), 65535);
}

TEST(AnimationBuilder, SwapRGRotatesTheChannels) {
  cDIB picture = SolidPicture(3, 1, 255, 0, 0);
  picture.SetPixel(1, 0, MakeRGBQuad(0, 255, 0));
  picture.SetPixel(2, 0, MakeRGBQuad(0, 0, 255));
  GifAnimationBuilder::SwapRG(picture);
  EXPECT_EQ(picture.Pixel(0, 0), MakeRGBQuad(0, 0, 255));  // red becomes blue
  EXPECT_EQ(picture.Pixel(1, 0), MakeRGBQuad(255, 0, 0));  // green becomes red
  EXPECT_EQ(picture.Pixel(2, 0), MakeRGBQuad(0, 255, 0));  // blue becomes green
}

TEST(AnimationBuilder, SavedMovieShowsSwappedColoursTheRightWayUp) {
  cGIF doc;
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kWebSafe);
  GifAnimationBuilder builder(doc, dither);
  // A bottom-up movie frame: memory row 0 is the bottom row. Top half red, bottom half green.
  cDIB work = SolidPicture(4, 6, 0, 255, 0);
  for (int y = 3; y < 6; ++y)
    for (int x = 0; x < 4; ++x) work.SetPixel(x, y, MakeRGBQuad(255, 0, 0));
  ASSERT_TRUE(builder.AddFrame(work, true, true, 67));
  builder.Finish();
  ScratchFolder folder;
  ASSERT_TRUE(doc.Save((folder / "movie.gif").string()));
  DecodedGif gif;
  std::string error;
  ASSERT_TRUE(DecodeWithGiflib((folder / "movie.gif").string(), gif, error)) << error;
  ASSERT_EQ(gif.frames.size(), 1u);
  const DecodedFrame& f = gif.frames[0];
  EXPECT_EQ(f.delay, 7);
  EXPECT_EQ(f.disposal, 3);
  EXPECT_EQ(f.colours[f.pixels[0]], MakeRGBQuad(0, 0, 255));            // top: red -> blue
  EXPECT_EQ(f.colours[f.pixels[5 * 4]], MakeRGBQuad(255, 0, 0));        // bottom: green -> red
  EXPECT_EQ(gif.aspectByte, 49);
  EXPECT_EQ(gif.width, 4);
  EXPECT_EQ(gif.height, 6);
}

TEST(AnimationBuilder, AllFramesShareTheFirstFramesPalette) {
  cGIF doc;
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kOptimal);
  GifAnimationBuilder builder(doc, dither);
  cDIB first = SolidPicture(5, 5, 10, 20, 30);
  cDIB second = SolidPicture(5, 5, 200, 100, 0);
  ASSERT_TRUE(builder.AddFrame(first, false, false, 40));
  ASSERT_TRUE(builder.AddFrame(second, false, false, 40));
  builder.Finish();
  EXPECT_EQ(doc.GlobalPaletteEntries(), 1);
  EXPECT_EQ(doc.Frame(2).LocalPaletteEntries(), 1);
  EXPECT_EQ(doc.Frame(2).LocalPaletteRGBEntry(0), MakeRGBQuad(10, 20, 30));
  EXPECT_FALSE(doc.Frame(2).LocalPaletteUsed());
  EXPECT_EQ(doc.Frame(2).frameDelay(), 4);
}

TEST(AnimationBuilder, GreyModeGives256GreysAndOddSizesWork) {
  cGIF doc;
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  dither.SetDitherMode(mDither8bpp::kFloydSteinberg);
  GifAnimationBuilder builder(doc, dither);
  cDIB work = RenderedPicture(13, 7, 1, 3);
  ASSERT_TRUE(builder.AddFrame(work, false, false, 100));
  builder.Finish();
  EXPECT_EQ(doc.GlobalPaletteEntries(), 256);
  EXPECT_EQ(doc.ScreenWidth(), 13);
  EXPECT_EQ(doc.ScreenHeight(), 7);
  cDIB indexed;
  indexed.Create(13, 7, 8);
  EXPECT_FALSE(builder.AddFrame(indexed, false, false, 100));
  EXPECT_EQ(doc.FramesCount(), 1);
}

}  // namespace
}  // namespace lumetrix::gif
