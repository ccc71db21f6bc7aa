// The document's frame list and properties, and a whole converter-style animation: reduced
// frames saved and decoded again by giflib.
#include <gtest/gtest.h>

#include "export/gif/dither8bpp.h"
#include "export/gif/gif_document.h"
#include "gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace lumetrix::gif::testing;

TEST(GifDocument, FirstInsertedFrameSetsTheScreen) {
  cGIF doc;
  EXPECT_FALSE(doc.FrameInsert(2, 10, 10));
  ASSERT_TRUE(doc.FrameInsert(1, 30, 20));
  EXPECT_EQ(doc.ScreenWidth(), 30);
  EXPECT_EQ(doc.ScreenHeight(), 20);
  ASSERT_TRUE(doc.FrameInsert(2, 5, 5));
  EXPECT_EQ(doc.ScreenWidth(), 30);
  EXPECT_EQ(doc.FramesCount(), 2);
  const clsGIFframe& f = doc.Frame(1);
  EXPECT_EQ(f.FrameDIBXOR().BitsPerPixel(), 8);
  EXPECT_EQ(f.FrameDIBAND().BitsPerPixel(), 1);
  EXPECT_EQ(f.FrameDIBAND().Width(), 30);
  EXPECT_EQ(f.frameDelay(), 0);
  EXPECT_EQ(f.FrameDisposalMethod(), 0);
  EXPECT_FALSE(f.LocalPaletteUsed());
  EXPECT_FALSE(doc.FrameInsert(1, 0, 5));
  EXPECT_FALSE(doc.FrameInsert(1, 70000, 5));
  EXPECT_THROW(doc.Frame(3), std::out_of_range);
  EXPECT_THROW(doc.Frame(0), std::out_of_range);
}

TEST(GifDocument, InsertRemoveAndMoveKeepTheOrder) {
  cGIF doc;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(doc.FrameInsert(i, 4, 4));
    doc.Frame(i).SetframeDelay(static_cast<uint16_t>(i));
  }
  ASSERT_TRUE(doc.FrameInsert(2, 4, 4));  // 1 new 2 3
  doc.Frame(2).SetframeDelay(9);
  auto delays = [&] {
    std::vector<int> d;
    for (int i = 1; i <= doc.FramesCount(); ++i) d.push_back(doc.Frame(i).frameDelay());
    return d;
  };
  EXPECT_EQ(delays(), (std::vector<int>{1, 9, 2, 3}));
  EXPECT_TRUE(doc.FrameMoveUp(4));
  EXPECT_EQ(delays(), (std::vector<int>{1, 9, 3, 2}));
  EXPECT_FALSE(doc.FrameMoveUp(1));
  EXPECT_TRUE(doc.FrameMoveDown(1));
  EXPECT_EQ(delays(), (std::vector<int>{9, 1, 3, 2}));
  EXPECT_FALSE(doc.FrameMoveDown(4));
  EXPECT_TRUE(doc.FrameRemove(2));
  EXPECT_EQ(delays(), (std::vector<int>{9, 3, 2}));
  EXPECT_FALSE(doc.FrameRemove(4));
  doc.Destroy();
  EXPECT_EQ(doc.FramesCount(), 0);
  EXPECT_EQ(doc.ScreenWidth(), 0);
}

TEST(GifDocument, PixelAspectRatioIsStoredAsByte) {
  cGIF doc;
  doc.SetScreenPixelAspectRatio(1.0);
  EXPECT_EQ(doc.ScreenPixelAspectByte(), 49);
  EXPECT_DOUBLE_EQ(doc.ScreenPixelAspectRatio(), 1.0);
  doc.SetScreenPixelAspectRatio(0.5);  // 32 - 15 = 17
  EXPECT_EQ(doc.ScreenPixelAspectByte(), 17);
  doc.SetScreenPixelAspectRatio(100.0);
  EXPECT_EQ(doc.ScreenPixelAspectByte(), 255);
  doc.SetScreenPixelAspectRatio(-3.0);
  EXPECT_EQ(doc.ScreenPixelAspectByte(), 0);
}

TEST(GifDocument, MaskMarksTheTransparentIndex) {
  cGIF doc;
  ASSERT_TRUE(doc.FrameInsert(1, 9, 2));
  clsGIFframe& f = doc.Frame(1);
  f.FrameDIBXOR().SetIndex(8, 0, 5);
  f.FrameDIBXOR().SetIndex(3, 1, 5);
  f.SetFrameTransparentColorIndex(5);
  ASSERT_TRUE(doc.FrameMask(1));
  EXPECT_FALSE(f.FrameDIBAND().Bit(8, 0));  // not in use yet
  f.SetFrameUseTransparentColor(true);
  doc.FrameMask(1);
  EXPECT_TRUE(f.FrameDIBAND().Bit(8, 0));
  EXPECT_TRUE(f.FrameDIBAND().Bit(3, 1));
  EXPECT_FALSE(f.FrameDIBAND().Bit(0, 0));
  EXPECT_EQ(f.FrameDIBAND().Palette()[1], MakeRGBQuad(255, 255, 255));
  // A replaced picture of another size gets a mask of its size.
  f.FrameDIBXOR().Create(3, 3, 8);
  f.FrameMask();
  EXPECT_EQ(f.FrameDIBAND().Width(), 3);
  EXPECT_TRUE(f.FrameDIBAND().Bit(2, 2) == false);
  EXPECT_FALSE(doc.FrameMask(2));
}

TEST(GifDocument, FrameDrawPlacesTheFrameAndSkipsTransparentPixels) {
  cGIF doc;
  ASSERT_TRUE(doc.FrameInsert(1, 2, 2));
  doc.SetGlobalPaletteExists(true);
  doc.SetGlobalPaletteRGBEntry(1, MakeRGBQuad(10, 20, 30));
  doc.SetGlobalPaletteEntries(2);
  clsGIFframe& f = doc.Frame(1);
  f.SetFrameLeft(1);
  f.FrameDIBXOR().SetIndex(0, 0, 1);
  f.FrameDIBXOR().SetIndex(1, 1, 1);
  f.SetFrameUseTransparentColor(true);  // index 0 transparent
  cDIB target = SolidPicture(3, 3, 99, 99, 99);
  ASSERT_TRUE(doc.FrameDraw(1, target, 0, 1));
  EXPECT_EQ(target.Pixel(1, 1), MakeRGBQuad(10, 20, 30));
  EXPECT_EQ(target.Pixel(2, 2), MakeRGBQuad(10, 20, 30));
  EXPECT_EQ(target.Pixel(2, 1), MakeRGBQuad(99, 99, 99));
  EXPECT_EQ(target.Pixel(0, 0), MakeRGBQuad(99, 99, 99));
  // Partly outside: clipped, no access past the target.
  ASSERT_TRUE(doc.FrameDraw(1, target, 1, 2));
  EXPECT_EQ(target.Pixel(2, 2), MakeRGBQuad(10, 20, 30));
  ASSERT_TRUE(doc.FrameDraw(1, target, -5, -5));
  cDIB indexed;
  indexed.Create(2, 2, 8);
  EXPECT_FALSE(doc.FrameDraw(1, indexed, 0, 0));
}

// The converter's flow: every frame reduced with the first frame's palette, the palette as
// global table, delay 7 and disposal 3; the saved file decodes to the reduced pixels.
cGIF ReducedAnimation(int paletteMode, int ditherMode, int frames, int32_t width, int32_t height,
                      std::vector<cDIB>* reduced = nullptr) {
  mDither8bpp dither;
  dither.SetPaletteMode(paletteMode);
  dither.SetDitherMode(ditherMode);
  cPal8bpp palette;
  cGIF doc;
  for (int i = 1; i <= frames; ++i) {
    EXPECT_TRUE(doc.FrameInsert(i, width, height));
    clsGIFframe& f = doc.Frame(i);
    const cDIB picture = RenderedPicture(width, height, i, 11);
    EXPECT_TRUE(dither.Reduce(picture, f.FrameDIBXOR(), palette, i > 1));
    f.SetLocalPalette(palette.lpPalette(), palette.Entries());
    f.SetFrameDisposalMethod(3);
    f.SetframeDelay(7);
    if (reduced) reduced->push_back(f.FrameDIBXOR());
  }
  doc.SetScreenPixelAspectRatio(1.0);
  doc.SetGlobalPaletteExists(true);
  doc.SetGlobalPalette(palette.lpPalette(), palette.Entries());
  return doc;
}

TEST(ConverterAnimation, EverySavedFrameDecodesToTheReducedPixels) {
  for (int paletteMode = 0; paletteMode <= 2; ++paletteMode)
    for (int ditherMode = 0; ditherMode <= 2; ++ditherMode) {
      std::vector<cDIB> reduced;
      const cGIF doc = ReducedAnimation(paletteMode, ditherMode, 3, 37, 23, &reduced);
      ScratchFolder folder;
      const auto path = folder / "movie.gif";
      ASSERT_TRUE(doc.Save(path.string()));
      DecodedGif gif;
      std::string error;
      ASSERT_TRUE(DecodeWithGiflib(path.string(), gif, error)) << error;
      EXPECT_EQ(gif.width, 37);
      EXPECT_EQ(gif.height, 23);
      EXPECT_EQ(gif.aspectByte, 49);
      EXPECT_EQ(gif.loops, 0);
      ASSERT_EQ(gif.frames.size(), 3u);
      for (size_t i = 0; i < 3; ++i) {
        const DecodedFrame& f = gif.frames[i];
        EXPECT_EQ(f.delay, 7);
        EXPECT_EQ(f.disposal, 3);
        EXPECT_EQ(f.transparent, -1);
        const cDIB& want = reduced[i];
        for (int y = 0; y < want.Height(); ++y)
          for (int x = 0; x < want.Width(); ++x) {
            const uint8_t index = f.pixels[static_cast<size_t>(y) * f.width + x];
            ASSERT_EQ(index, want.Index(x, y)) << paletteMode << ditherMode << " frame " << i;
            ASSERT_EQ(f.colours.at(index), want.Palette()[index]);
          }
      }
    }
}

TEST(ConverterAnimation, GreyModeHas256GreyEntries) {
  const cGIF doc = ReducedAnimation(mDither8bpp::kGreyScale, mDither8bpp::kNoDither, 2, 8, 8);
  EXPECT_EQ(doc.GlobalPaletteEntries(), 256);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(doc.GlobalPaletteRGBEntry(i), MakeRGBQuad(i, i, i));
}

}  // namespace
}  // namespace lumetrix::gif
