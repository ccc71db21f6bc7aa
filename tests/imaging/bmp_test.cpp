// BMP files of every common kind, built byte by byte.

#include <gtest/gtest.h>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

void Put(std::vector<uint8_t>& v, size_t at, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// rows: stored rows in file order, already padded. palette: blue, green, red, 0 per entry.
std::vector<uint8_t> Bmp(int w, int h, int bits, const std::vector<uint8_t>& palette, const std::vector<uint8_t>& rows,
                         uint32_t compression = 0) {
  std::vector<uint8_t> f(54 + palette.size(), 0);
  f[0] = 'B', f[1] = 'M';
  Put(f, 10, static_cast<uint32_t>(54 + palette.size()), 4);
  Put(f, 14, 40, 4), Put(f, 18, static_cast<uint32_t>(w), 4), Put(f, 22, static_cast<uint32_t>(h), 4);
  Put(f, 26, 1, 2), Put(f, 28, static_cast<uint32_t>(bits), 2), Put(f, 30, compression, 4);
  const auto entries = static_cast<uint32_t>(palette.size() / 4);
  Put(f, 46, entries == (uint64_t{1} << bits) ? 0 : entries, 4);  // colours used; 0: all
  std::copy(palette.begin(), palette.end(), f.begin() + 54);
  f.insert(f.end(), rows.begin(), rows.end());
  Put(f, 2, static_cast<uint32_t>(f.size()), 4);
  return f;
}

const std::vector<uint8_t> kPalette = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 10, 20, 30, 0};

class BmpTest : public ::testing::Test {
 protected:
  bool Load(const std::vector<uint8_t>& bytes) {
    test_support::WriteBytes(dir.File("t.bmp"), bytes);
    return box.LoadPage(dir.File("t.bmp"), 0);
  }
  test_support::TempDir dir;
  ImageBox box;
};

TEST_F(BmpTest, EveryKindReadsAsBlueGreenRedOrIndices) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file, pixels;
    int depth;
    bool grey;
  };
  const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};  // 2 x 2, bottom row first
  const Case cases[] = {
      {"24 bits", Bmp(2, 2, 24, {}, rows), {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}, 24, false},
      {"24 bits top-down", Bmp(2, -2, 24, {}, rows), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 24, false},
      {"32 bits", Bmp(2, 1, 32, {}, {1, 2, 3, 99, 4, 5, 6, 99}), {1, 2, 3, 4, 5, 6}, 24, false},
      // 5-5-5: pure red (0x7C00) and white (0x7FFF), then padding.
      {"16 bits", Bmp(2, 1, 16, {}, {0x00, 0x7C, 0xFF, 0x7F}), {0, 0, 255, 255, 255, 255}, 24, false},
      {"8 bits", Bmp(3, 1, 8, kPalette, {0, 1, 2, 0}), {0, 1, 2}, 8, false},
      {"4 bits", Bmp(3, 1, 4, kPalette, {0x32, 0x10, 0, 0}), {3, 2, 1}, 8, false},
      // Black and white is grey: 10 pixels 1011001110.
      {"1 bit", Bmp(10, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0xB3, 0x80, 0, 0}), {255, 0, 255, 255, 0, 0, 255, 255, 255, 0}, 8, true},
      // Bottom row "3 x index 1, index 2", end of line, top row absolute 0 1 2 3.
      {"RLE8", Bmp(4, 2, 8, kPalette, {3, 1, 1, 2, 0, 0, 0, 4, 0, 1, 2, 3, 0, 1}, 1), {0, 1, 2, 3, 1, 1, 1, 2}, 8, false},
      {"RLE4", Bmp(4, 1, 4, kPalette, {4, 0x12, 0, 1}, 2), {1, 2, 1, 2}, 8, false},
      // Runs past the edge and a delta past the bottom are dropped, not written out of bounds.
      {"RLE8 outside", Bmp(2, 2, 8, kPalette, {255, 3, 0, 2, 9, 9, 40, 1}, 1), {0, 0, 3, 3}, 8, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Load(c.file)) << c.name << ": " << box.LastError();
    EXPECT_EQ(std::tuple(box.PixelBytes(), box.BitDepth(), box.IsGreyImage()), std::tuple(c.pixels, c.depth, c.grey)) << c.name;
  }
  ASSERT_TRUE(Load(cases[4].file));
  box.ConvertDepth(24);
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255}));  // the palette's colours
}

TEST_F(BmpTest, DamagedFilesGiveReasons) {
  const std::vector<uint8_t> good = Bmp(4, 4, 24, {}, std::vector<uint8_t>(48, 7));
  const auto with = [&](size_t at, uint32_t value, int bytes) {
    std::vector<uint8_t> f = good;
    Put(f, at, value, bytes);
    return f;
  };
  std::vector<uint8_t> huge = with(18, 0x7FFFFFFF, 4), masks = Bmp(1, 1, 32, {}, {});
  Put(huge, 22, 0x7FFFFFFF, 4);
  Put(masks, 14, 52, 4);  // bit-field masks announced by a longer header that the file does not hold
  Put(masks, 30, 3, 4);
  masks.resize(60);
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {std::vector<uint8_t>(good.begin(), good.end() - 10), "truncated"},
      {huge, "too large"},
      {with(18, 0xFFFFFFF0, 4), ""},                   // negative width
      {with(28, 7, 2), "bits per pixel"},
      {with(30, 4, 4), "compression"},                // JPEG inside
      {with(10, 0xFFFFFF00, 4), "truncated"},         // pixels past the end
      {with(14, 7, 4), "header"},
      {{'B', 'M', 0, 0}, "truncated"},
      {masks, "truncated"},
  };
  for (const auto& [file, words] : cases) {
    EXPECT_FALSE(Load(file)) << words;
    EXPECT_NE(box.LastError().find(words), std::string::npos) << box.LastError();
    EXPECT_TRUE(box.PixelBytes().empty());
  }
}

}  // namespace
}  // namespace lumetrix::imaging
