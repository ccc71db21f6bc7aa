// The indexed slice bitmap: its exact bytes, and slices coloured in memory exactly as an image
// reader shows that file.

#include <gtest/gtest.h>

#include "palettes/build_lut.h"
#include "palettes/lut_bitmap.h"
#include "palettes/palette_error.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using namespace testing;

uint32_t Le(const std::vector<uint8_t>& b, std::size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

// What an image reader makes of an 8-bit indexed BMP converted to 24 bits: rows top first,
// blue, green, red, as wide as the file declares. Written from the BMP format, not the writer.
BgrImage LoadIndexedBmpAsColour(const std::vector<uint8_t>& file) {
  EXPECT_EQ(Le(file, 0, 2), 0x4D42u);  // "BM"
  EXPECT_EQ(Le(file, 28, 2), 8u);
  const auto width = static_cast<int32_t>(Le(file, 18, 4)), height = static_cast<int32_t>(Le(file, 22, 4));
  const std::size_t entries = Le(file, 46, 4) == 0 ? 256 : Le(file, 46, 4);
  const std::size_t palette = 14 + Le(file, 14, 4), stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  BgrImage img{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t index = file.at(Le(file, 10, 4) + static_cast<std::size_t>(height - 1 - y) * stride + x);
      EXPECT_LT(index, entries);
      for (std::size_t k = 0; k < 3; ++k) img.bgr.push_back(file.at(palette + 4 * std::size_t{index} + k));
    }
  }
  return img;
}

std::vector<uint8_t> Slice(int32_t w, int32_t h) {
  std::vector<uint8_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 37 + 11);
  return px;
}

TEST(LutBitmapTest, WidthFiveIsDeclaredEightAndPaddedWithIndex32) {
  TempDir dir;
  const auto path = dir.path() / "s.bmp";
  WriteLutBitmap(path, 64, 64, Slice(64, 64), BuildLut(PaletteKind::Grey));  // replaced below
  const auto px = Slice(5, 3);
  const Lut lut = BuildLut(PaletteKind::FalseColor);
  WriteLutBitmap(path, 5, 3, px, lut);
  std::vector<uint8_t> want(1078 + 24, 32);  // rows padded with index 32
  std::fill_n(want.begin(), 54, 0);
  const auto put = [&](std::size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) want[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  want[0] = 'B', want[1] = 'M';
  put(2, 1078 + 24, 4), put(10, 1078, 4), put(14, 40, 4), put(18, 8, 4), put(22, 3, 4), put(26, 1, 2), put(28, 8, 2);
  put(34, 24, 4), put(38, 4000, 4), put(42, 4000, 4);
  std::copy(lut.bytes.begin(), lut.bytes.end(), want.begin() + 54);
  for (std::ptrdiff_t row = 0; row < 3; ++row)  // bottom row first
    std::copy_n(px.begin() + 5 * (2 - row), 5, want.begin() + 1078 + 8 * row);
  EXPECT_EQ(ReadBytes(path), want);
}

TEST(LutBitmapTest, ColouringInMemoryEqualsLoadingTheBitmap) {
  const Lut tables[] = {BuildLut(PaletteKind::FalseColor), BuildLut(PaletteKind::PGrey),
                        BuildLut(PaletteKind::NGrey), BuildLut(PaletteKind::Yellow)};
  BgrImage memory;  // reused, as the viewer does: it must be resized every time
  for (int32_t w : {510, 1, 2, 3, 4, 5, 7, 8, 13}) {
    for (int32_t h : {6, 1, 3}) {
      const auto px = Slice(w, h);
      for (const Lut& lut : tables) {
        const BgrImage loaded = LoadIndexedBmpAsColour(EncodeLutBitmap(w, h, px, lut));
        ColourSlice(px, w, h, lut, memory);
        ASSERT_EQ(std::tie(memory.width, memory.height), std::tie(loaded.width, loaded.height)) << w << "x" << h;
        ASSERT_EQ(memory.bgr, loaded.bgr) << w << "x" << h;
      }
    }
  }
  ColourSlice({}, 0, 0, tables[0], memory);
  EXPECT_TRUE(memory.width == 0 && memory.bgr.empty());
}

TEST(LutBitmapTest, BadSizesAreRefused) {
  EXPECT_EQ(DeclaredWidth(2147483647), 2147483648LL);
  const auto px = Slice(4, 4);
  const Lut lut = BuildLut(PaletteKind::Grey);
  for (const auto& [w, h] : {std::pair{5, 4}, {-1, 4}, {4, -4}, {0, 4}, {2147483647, 2147483647}})
    EXPECT_THROW(EncodeLutBitmap(w, h, px, lut), PaletteError) << w << "x" << h;
  for (const auto& [w, h] : {std::pair{5, 4}, {-5, 4}, {2147483647, 2147483647}})
    EXPECT_THROW(ColourSlice(px, w, h, lut), PaletteError) << w << "x" << h;
  TempDir dir;
  EXPECT_THROW(WriteLutBitmap(dir.path() / "no" / "x.bmp", 4, 4, px, lut), PaletteError);
}

}  // namespace
}  // namespace lumetrix::palettes
