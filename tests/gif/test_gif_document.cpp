// The document's frame list: insertion and order. (The aspect byte of 1.0 is checked in the files.)

#include <gtest/gtest.h>

#include "export/gif/gif_document.h"

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

}  // namespace
}  // namespace lumetrix::gif
