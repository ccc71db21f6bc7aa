// BMP files of every common kind, built byte by byte.

#include <gtest/gtest.h>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using test_support::TempDir;

void Put(std::vector<uint8_t>& v, size_t at, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// rows: stored rows in file order, already padded. palette: blue, green, red, 0 per entry.
std::vector<uint8_t> Bmp(int w, int h, int bits, const std::vector<uint8_t>& palette,
                         const std::vector<uint8_t>& rows, uint32_t compression = 0, uint32_t colours_used = 0) {
  std::vector<uint8_t> f(54 + palette.size(), 0);
  f[0] = 'B';
  f[1] = 'M';
  Put(f, 10, static_cast<uint32_t>(54 + palette.size()), 4);
  Put(f, 14, 40, 4);
  Put(f, 18, static_cast<uint32_t>(w), 4);
  Put(f, 22, static_cast<uint32_t>(h), 4);
  Put(f, 26, 1, 2);
  Put(f, 28, static_cast<uint32_t>(bits), 2);
  Put(f, 30, compression, 4);
  Put(f, 46, colours_used, 4);
  std::copy(palette.begin(), palette.end(), f.begin() + 54);
  f.insert(f.end(), rows.begin(), rows.end());
  Put(f, 2, static_cast<uint32_t>(f.size()), 4);
  return f;
}

class BmpTest : public ::testing::Test {
 protected:
  bool Load(const std::vector<uint8_t>& bytes) {
    test_support::WriteBytes(dir.File("t.bmp"), bytes);
    return box.LoadPage(dir.File("t.bmp"), 0);
  }
  TempDir dir;
  ImageBox box;
};

const std::vector<uint8_t> kColourPalette = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 10, 20, 30, 0};

TEST_F(BmpTest, TwentyFourBitBottomUpAndTopDown) {
  // 2 x 2: rows of 6 bytes padded to 8; bottom row first.
  const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  ASSERT_TRUE(Load(Bmp(2, 2, 24, {}, rows))) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 24);
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(Load(Bmp(2, -2, 24, {}, rows))) << box.LastError();
  EXPECT_EQ(box.ImageHeight(), 2);
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(BmpTest, ThirtyTwoAndSixteenBit) {
  ASSERT_TRUE(Load(Bmp(2, 1, 32, {}, {1, 2, 3, 99, 4, 5, 6, 99}))) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  // 5-5-5: pure red (0x7C00) and white (0x7FFF), then padding.
  ASSERT_TRUE(Load(Bmp(2, 1, 16, {}, {0x00, 0x7C, 0xFF, 0x7F}))) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{0, 0, 255, 255, 255, 255}));
}

TEST_F(BmpTest, PaletteDepths) {
  // 8-bit, 3 x 1: indices 0 1 2 + one pad byte.
  ASSERT_TRUE(Load(Bmp(3, 1, 8, kColourPalette, {0, 1, 2, 0}, 0, 4))) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 8);
  EXPECT_FALSE(box.IsGreyImage());
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{0, 1, 2}));
  box.ConvertDepth(24);
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255}));
  // 4-bit, 3 x 1: nibbles 3 2 1.
  ASSERT_TRUE(Load(Bmp(3, 1, 4, kColourPalette, {0x32, 0x10, 0, 0}, 0, 4))) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{3, 2, 1}));
  // 1-bit black and white is grey: 10 pixels 1011001110.
  ASSERT_TRUE(Load(Bmp(10, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0xB3, 0x80, 0, 0}))) << box.LastError();
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{255, 0, 255, 255, 0, 0, 255, 255, 255, 0}));
}

TEST_F(BmpTest, RunLengthEncoded) {
  // RLE8 4 x 2: bottom row "3 x index 1, 1 x index 2", end of line, top row absolute 0 1 2 3.
  const std::vector<uint8_t> rle8 = {3, 1, 1, 2, 0, 0, 0, 4, 0, 1, 2, 3, 0, 1};
  ASSERT_TRUE(Load(Bmp(4, 2, 8, kColourPalette, rle8, 1, 4))) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{0, 1, 2, 3, 1, 1, 1, 2}));
  // RLE4 4 x 1: run of 4 nibbles alternating 1 and 2.
  ASSERT_TRUE(Load(Bmp(4, 1, 4, kColourPalette, {4, 0x12, 0, 1}, 2, 4))) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{1, 2, 1, 2}));
  // Runs past the edge and a delta past the bottom are dropped, not written out of bounds.
  ASSERT_TRUE(Load(Bmp(2, 2, 8, kColourPalette, {255, 3, 0, 2, 9, 9, 40, 1}, 1, 4))) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{0, 0, 3, 3}));
}

TEST_F(BmpTest, DamagedFilesGiveReasons) {
  const std::vector<uint8_t> good = Bmp(4, 4, 24, {}, std::vector<uint8_t>(48, 7));
  std::vector<uint8_t> cut(good.begin(), good.end() - 10);
  EXPECT_FALSE(Load(cut));
  EXPECT_NE(box.LastError().find("truncated"), std::string::npos) << box.LastError();
  std::vector<uint8_t> huge = good;
  Put(huge, 18, 0x7FFFFFFF, 4);
  Put(huge, 22, 0x7FFFFFFF, 4);
  EXPECT_FALSE(Load(huge));
  EXPECT_NE(box.LastError().find("too large"), std::string::npos) << box.LastError();
  std::vector<uint8_t> negative = good;
  Put(negative, 18, 0xFFFFFFF0, 4);
  EXPECT_FALSE(Load(negative));
  std::vector<uint8_t> odd_bits = good;
  Put(odd_bits, 28, 7, 2);
  EXPECT_FALSE(Load(odd_bits));
  EXPECT_NE(box.LastError().find("bits per pixel"), std::string::npos) << box.LastError();
  std::vector<uint8_t> jpeg_inside = good;
  Put(jpeg_inside, 30, 4, 4);
  EXPECT_FALSE(Load(jpeg_inside));
  std::vector<uint8_t> offset = good;
  Put(offset, 10, 0xFFFFFF00, 4);
  EXPECT_FALSE(Load(offset));
  std::vector<uint8_t> header = good;
  Put(header, 14, 7, 4);
  EXPECT_FALSE(Load(header));
  EXPECT_FALSE(Load({'B', 'M', 0, 0}));
  // Bit-field masks announced by a longer header that the file does not hold.
  std::vector<uint8_t> masks = Bmp(1, 1, 32, {}, {});
  Put(masks, 14, 52, 4);
  Put(masks, 30, 3, 4);
  masks.resize(60);
  EXPECT_FALSE(Load(masks));
  EXPECT_NE(box.LastError().find("truncated"), std::string::npos) << box.LastError();
  EXPECT_TRUE(box.PixelBytes().empty());
}

}  // namespace
}  // namespace lumetrix::imaging
