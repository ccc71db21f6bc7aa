// The document's frame list and properties: insertion, order, aspect byte, masks and drawing.

#include <gtest/gtest.h>

#include "export/gif/gif_document.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

std::vector<int> Delays(const cGIF& doc) {
  std::vector<int> d;
  for (int i = 1; i <= doc.FramesCount(); ++i) d.push_back(doc.Frame(i).frameDelay());
  return d;
}

TEST(GifDocument, FirstInsertedFrameSetsTheScreenAndFramesKeepTheirOrder) {
  cGIF doc;
  EXPECT_FALSE(doc.FrameInsert(2, 10, 10));
  ASSERT_TRUE(doc.FrameInsert(1, 30, 20));
  ASSERT_TRUE(doc.FrameInsert(2, 5, 5));
  EXPECT_EQ(std::tuple(doc.ScreenWidth(), doc.ScreenHeight(), doc.FramesCount()), std::tuple(30, 20, 2));
  const clsGIFframe& f = doc.Frame(1);
  EXPECT_EQ(std::tuple(f.FrameDIBXOR().BitsPerPixel(), f.FrameDIBAND().BitsPerPixel(), f.FrameDIBAND().Width(),
                       f.frameDelay(), f.FrameDisposalMethod(), f.LocalPaletteUsed()),
            std::tuple(8, 1, 30, 0, 0, false));
  EXPECT_FALSE(doc.FrameInsert(1, 0, 5));
  EXPECT_FALSE(doc.FrameInsert(1, 70000, 5));
  EXPECT_THROW(doc.Frame(3), std::out_of_range);
  EXPECT_THROW(doc.Frame(0), std::out_of_range);
  doc.Frame(1).SetframeDelay(1);
  doc.Frame(2).SetframeDelay(2);
  ASSERT_TRUE(doc.FrameInsert(3, 4, 4));
  doc.Frame(3).SetframeDelay(3);
  ASSERT_TRUE(doc.FrameInsert(2, 4, 4));
  doc.Frame(2).SetframeDelay(9);
  EXPECT_EQ(Delays(doc), (std::vector<int>{1, 9, 2, 3}));
  EXPECT_TRUE(doc.FrameMoveUp(4));
  EXPECT_FALSE(doc.FrameMoveUp(1));
  EXPECT_EQ(Delays(doc), (std::vector<int>{1, 9, 3, 2}));
  EXPECT_TRUE(doc.FrameMoveDown(1));
  EXPECT_FALSE(doc.FrameMoveDown(4));
  EXPECT_EQ(Delays(doc), (std::vector<int>{9, 1, 3, 2}));
  EXPECT_TRUE(doc.FrameRemove(2));
  EXPECT_FALSE(doc.FrameRemove(4));
  EXPECT_EQ(Delays(doc), (std::vector<int>{9, 3, 2}));
  doc.Destroy();
  EXPECT_EQ(std::tuple(doc.FramesCount(), doc.ScreenWidth()), std::tuple(0, 0));
}

TEST(GifDocument, PixelAspectRatioIsStoredAsByte) {
  cGIF doc;
  for (const auto& [ratio, byte] : {std::pair{1.0, 49}, {0.5, 17}, {100.0, 255}, {-3.0, 0}}) {  // 0.5: 32 - 15
    doc.SetScreenPixelAspectRatio(ratio);
    EXPECT_EQ(doc.ScreenPixelAspectByte(), byte) << ratio;
  }
  doc.SetScreenPixelAspectRatio(1.0);
  EXPECT_DOUBLE_EQ(doc.ScreenPixelAspectRatio(), 1.0);
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
  EXPECT_EQ(std::tuple(f.FrameDIBAND().Bit(8, 0), f.FrameDIBAND().Bit(3, 1), f.FrameDIBAND().Bit(0, 0)),
            std::tuple(true, true, false));
  EXPECT_EQ(f.FrameDIBAND().Palette()[1], MakeRGBQuad(255, 255, 255));
  f.FrameDIBXOR().Create(3, 3, 8);  // a replaced picture of another size gets a mask of its size
  f.FrameMask();
  EXPECT_EQ(std::tuple(f.FrameDIBAND().Width(), f.FrameDIBAND().Bit(2, 2)), std::tuple(3, false));
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
  cDIB target = testing::SolidPicture(3, 3, 99, 99, 99);
  ASSERT_TRUE(doc.FrameDraw(1, target, 0, 1));
  const RGBQuad drawn = MakeRGBQuad(10, 20, 30), kept = MakeRGBQuad(99, 99, 99);
  EXPECT_EQ(std::tuple(target.Pixel(1, 1), target.Pixel(2, 2), target.Pixel(2, 1), target.Pixel(0, 0)),
            std::tuple(drawn, drawn, kept, kept));
  ASSERT_TRUE(doc.FrameDraw(1, target, 1, 2));  // partly outside: clipped
  EXPECT_EQ(target.Pixel(2, 2), drawn);
  ASSERT_TRUE(doc.FrameDraw(1, target, -5, -5));
  cDIB indexed;
  indexed.Create(2, 2, 8);
  EXPECT_FALSE(doc.FrameDraw(1, indexed, 0, 0));
}

}  // namespace
}  // namespace lumetrix::gif
