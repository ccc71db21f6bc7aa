#include <gtest/gtest.h>

#include <cstring>

#include "palettes/build_lut.h"
#include "palettes/lut_bitmap.h"
#include "palettes/palette_error.h"
#include "temp_folder.h"

namespace lumetrix::palettes {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

uint32_t U32(const std::vector<uint8_t>& b, std::size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, std::size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// What an image reader makes of an 8-bit indexed BMP after converting it to 24 bits: rows top
// first, unpadded, blue, green, red, as wide as the file declares. Written from the BMP format
// itself, independently of the writer.
BgrImage LoadIndexedBmpAsColour(const std::vector<uint8_t>& file) {
  EXPECT_GE(file.size(), 54u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  const uint32_t offset = U32(file, 10);
  const auto width = static_cast<int32_t>(U32(file, 18));
  const auto height = static_cast<int32_t>(U32(file, 22));
  EXPECT_EQ(U16(file, 28), 8);
  const uint32_t coloursUsed = U32(file, 46);
  const std::size_t paletteEntries = coloursUsed == 0 ? 256 : coloursUsed;
  const std::size_t palette = 14 + U32(file, 14);
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  BgrImage img;
  img.width = width;
  img.height = height;
  img.bgr.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int32_t y = 0; y < height; ++y) {
    const std::size_t fileRow = offset + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t index = file.at(fileRow + static_cast<std::size_t>(x));
      EXPECT_LT(index, paletteEntries);
      const std::size_t p = palette + 4 * std::size_t{index};
      uint8_t* dst = &img.bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
      dst[0] = file.at(p);
      dst[1] = file.at(p + 1);
      dst[2] = file.at(p + 2);
    }
  }
  return img;
}

std::vector<uint8_t> Slice(int32_t w, int32_t h) {
  std::vector<uint8_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 37 + 11);
  return px;
}

TEST(LutBitmapTest, DeclaredWidthRoundsUpToFour) {
  EXPECT_EQ(DeclaredWidth(1), 4);
  EXPECT_EQ(DeclaredWidth(4), 4);
  EXPECT_EQ(DeclaredWidth(5), 8);
  EXPECT_EQ(DeclaredWidth(8), 8);
  EXPECT_EQ(DeclaredWidth(510), 512);
  EXPECT_EQ(DeclaredWidth(2147483647), 2147483648LL);
}

TEST(LutBitmapTest, WidthFiveIsDeclaredEightWithPaddingOf32) {
  TempFolder dir;
  const auto px = Slice(5, 3);
  const Lut lut = BuildLut(PaletteKind::FalseColor);
  WriteLutBitmap(dir / "s.bmp", 5, 3, px, lut);
  const auto file = ReadBytes(dir / "s.bmp");
  ASSERT_EQ(file.size(), 1078u + 8 * 3);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), 1078u + 24);
  EXPECT_EQ(U32(file, 6), 0u);
  EXPECT_EQ(U32(file, 10), 1078u);
  EXPECT_EQ(U32(file, 14), 40u);
  EXPECT_EQ(U32(file, 18), 8u);
  EXPECT_EQ(U32(file, 22), 3u);
  EXPECT_EQ(U16(file, 26), 1);
  EXPECT_EQ(U16(file, 28), 8);
  EXPECT_EQ(U32(file, 30), 0u);
  EXPECT_EQ(U32(file, 34), 24u);
  EXPECT_EQ(U32(file, 38), 4000u);
  EXPECT_EQ(U32(file, 42), 4000u);
  EXPECT_EQ(U32(file, 46), 0u);
  EXPECT_EQ(U32(file, 50), 0u);
  EXPECT_EQ(0, std::memcmp(file.data() + 54, lut.bytes.data(), 1024));
  // Bottom row first; each row the five source bytes, then three bytes of 32.
  for (int row = 0; row < 3; ++row) {
    const std::size_t at = 1078 + static_cast<std::size_t>(row) * 8;
    const std::size_t src = static_cast<std::size_t>(2 - row) * 5;
    for (std::size_t x = 0; x < 5; ++x) EXPECT_EQ(file[at + x], px[src + x]);
    for (std::size_t x = 5; x < 8; ++x) EXPECT_EQ(file[at + x], 32);
  }
}

TEST(LutBitmapTest, WidthEightHasNoPadding) {
  const auto px = Slice(8, 2);
  const auto file = EncodeLutBitmap(8, 2, px, BuildLut(PaletteKind::Red));
  ASSERT_EQ(file.size(), 1078u + 16);
  EXPECT_EQ(U32(file, 18), 8u);
  EXPECT_EQ(0, std::memcmp(file.data() + 1078, px.data() + 8, 8));
  EXPECT_EQ(0, std::memcmp(file.data() + 1086, px.data(), 8));
}

TEST(LutBitmapTest, RewritingReplacesOldBytes) {
  TempFolder dir;
  WriteLutBitmap(dir / "t.bmp", 64, 64, Slice(64, 64), BuildLut(PaletteKind::Grey));
  WriteLutBitmap(dir / "t.bmp", 3, 1, Slice(3, 1), BuildLut(PaletteKind::Grey));
  EXPECT_EQ(ReadBytes(dir / "t.bmp").size(), 1078u + 4);
}

TEST(LutBitmapTest, InMemoryColouringEqualsLoadingTheBitmap) {
  const Lut tables[] = {BuildLut(PaletteKind::FalseColor), BuildLut(PaletteKind::PGrey),
                        BuildLut(PaletteKind::NGrey), BuildLut(PaletteKind::Yellow)};
  for (int32_t w : {1, 2, 3, 4, 5, 7, 8, 13, 510}) {
    for (int32_t h : {1, 3, 6}) {
      const auto px = Slice(w, h);
      for (const Lut& lut : tables) {
        const BgrImage loaded = LoadIndexedBmpAsColour(EncodeLutBitmap(w, h, px, lut));
        const BgrImage memory = ColourSlice(px, w, h, lut);
        ASSERT_EQ(memory.width, loaded.width) << w << "x" << h;
        ASSERT_EQ(memory.height, loaded.height);
        ASSERT_EQ(memory.bgr, loaded.bgr) << w << "x" << h;
      }
    }
  }
}

TEST(LutBitmapTest, PaddingStripShowsEntry32) {
  Lut lut = BuildLut(PaletteKind::Grey);
  lut.Set(32, 10, 20, 30);
  const std::vector<uint8_t> px = {0, 255, 7, 1, 2, 3};  // 3 x 2
  const BgrImage img = ColourSlice(px, 3, 2, lut);
  ASSERT_EQ(img.width, 4);
  ASSERT_EQ(img.height, 2);
  const std::vector<uint8_t> want = {0, 0, 0, 255, 255, 255, 7, 7, 7, 30, 20, 10,
                                     1, 1, 1, 2, 2, 2, 3, 3, 3, 30, 20, 10};
  EXPECT_EQ(img.bgr, want);
}

TEST(LutBitmapTest, ReusedOutputIsResized) {
  BgrImage out;
  ColourSlice(Slice(16, 16), 16, 16, BuildLut(PaletteKind::Red), out);
  EXPECT_EQ(out.bgr.size(), 16u * 16 * 3);
  ColourSlice(Slice(5, 1), 5, 1, BuildLut(PaletteKind::Red), out);
  EXPECT_EQ(out.width, 8);
  EXPECT_EQ(out.bgr.size(), 8u * 3);
  ColourSlice({}, 0, 0, BuildLut(PaletteKind::Red), out);
  EXPECT_EQ(out.width, 0);
  EXPECT_TRUE(out.bgr.empty());
}

TEST(LutBitmapTest, BadSizesAreRefused) {
  const auto px = Slice(4, 4);
  const Lut lut = BuildLut(PaletteKind::Grey);
  EXPECT_THROW(EncodeLutBitmap(5, 4, px, lut), PaletteError);  // buffer too small
  EXPECT_THROW(EncodeLutBitmap(-1, 4, px, lut), PaletteError);
  EXPECT_THROW(EncodeLutBitmap(4, -4, px, lut), PaletteError);
  EXPECT_THROW(EncodeLutBitmap(0, 4, px, lut), PaletteError);
  EXPECT_THROW(EncodeLutBitmap(2147483647, 2147483647, px, lut), PaletteError);
  EXPECT_THROW(ColourSlice(px, 5, 4, lut), PaletteError);
  EXPECT_THROW(ColourSlice(px, -5, 4, lut), PaletteError);
  EXPECT_THROW(ColourSlice(px, 2147483647, 2147483647, lut), PaletteError);
  TempFolder dir;
  EXPECT_THROW(WriteLutBitmap(dir / "no" / "x.bmp", 4, 4, px, lut), PaletteError);
}

}  // namespace
}  // namespace lumetrix::palettes
