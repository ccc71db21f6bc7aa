// Every kind of TIFF page microscopists bring is read back with exact pixel values; the files
// are written with libtiff.

#include <gtest/gtest.h>

#include <tiffio.h>

#include <functional>
#include <tuple>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using namespace lumetrix::imaging::testing;
using test_support::TempDir;
using test_support::TiffCompression;
using test_support::TiffLayout;
using test_support::TiffSamples;
using test_support::WriteTiff;

// Page 2 of a 37 pixel wide pattern in the fixture's default palette: entry i is red i,
// green 255 - i, blue i * 97 % 256.
void ExpectDefaultPaletteColours(ImageBox& box, int count) {
  box.ConvertDepth(24);
  ASSERT_EQ(box.PixelBytes().size(), 3u * count);
  for (int i = 0; i < count; ++i) {
    const int index = Pattern(2, i % 37, i / 37, 0);
    const uint8_t* bgr = &box.PixelBytes()[3 * i];
    ASSERT_EQ(std::tuple(bgr[2], bgr[1], bgr[0]), std::tuple(index, 255 - index, index * 97 % 256)) << i;
  }
}

// (compression, tiled, big TIFF): every page of every common kind.
class StorageTest : public ::testing::TestWithParam<std::tuple<TiffCompression, bool, bool>> {};

TEST_P(StorageTest, EveryKindReadsExactly) {
  struct Kind { TiffSamples samples; bool planar; int levels, depth; bool grey; };
  const Kind kinds[] = {{TiffSamples::kGrey8, false, 256, 8, true},  {TiffSamples::kRgb8, false, 256, 24, false},
                        {TiffSamples::kRgb8, true, 256, 24, false},  {TiffSamples::kGrey1, false, 2, 8, true},
                        {TiffSamples::kGrey4, false, 16, 8, true},   {TiffSamples::kPalette8, false, 256, 8, false}};
  TempDir dir;
  for (std::size_t k = 0; k < std::size(kinds); ++k) {
    TiffLayout layout;
    layout.width = 37, layout.height = 21;  // odd sizes: partial strips, tiles and bytes
    layout.pages = 3, layout.rows_per_strip = 4;
    layout.samples = kinds[k].samples, layout.planar = kinds[k].planar;
    std::tie(layout.compression, layout.tiled, layout.big_tiff) = GetParam();
    const std::string path = dir.File(std::to_string(k) + ".tif");
    WriteTiff(path, layout, PatternFn(kinds[k].levels));
    ImageBox box;
    ASSERT_EQ(box.CountPages(path), 3);
    for (int16_t p = 0; p < 3; ++p) {
      ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
      EXPECT_EQ(std::tuple(box.ImageWidth(), box.ImageHeight(), box.BitDepth(), box.IsGreyImage()),
                std::tuple(37, 21, kinds[k].depth, kinds[k].grey)) << "kind " << k;
      // Colour comes as blue, green, red; low bit depths are stretched; palettes give indices.
      const auto want = kinds[k].depth == 24 ? PatternBgr(p, 37, 21) : PatternGrey(p, 37, 21, kinds[k].levels);
      EXPECT_EQ(box.PixelBytes(), want) << "kind " << k << " page " << p;
    }
    if (kinds[k].samples == TiffSamples::kPalette8) ExpectDefaultPaletteColours(box, 37 * 21);
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllStorage, StorageTest,
    ::testing::Combine(::testing::Values(TiffCompression::kNone, TiffCompression::kLzw, TiffCompression::kDeflate,
                                         TiffCompression::kPackBits),
                       ::testing::Bool(), ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::array{"None", "Lzw", "Deflate", "PackBits"}[static_cast<int>(std::get<0>(info.param))]) +
             (std::get<1>(info.param) ? "Tiles" : "Strips") + (std::get<2>(info.param) ? "Big" : "Classic");
    });

TEST(TiffKindsTest, InterpretationsAndByteOrders) {
  struct Case { const char* name; std::function<void(TiffLayout&)> set; int levels; bool inverted, colour; };
  const Case cases[] = {
      {"alpha is dropped", [](TiffLayout& l) { l.samples = TiffSamples::kRgba8; }, 256, false, true},
      {"white 8", [](TiffLayout& l) { l.min_is_white = true; }, 256, true, false},
      {"white 1", [](TiffLayout& l) { l.samples = TiffSamples::kGrey1, l.min_is_white = true; }, 2, true, false},
      {"white 4", [](TiffLayout& l) { l.samples = TiffSamples::kGrey4, l.min_is_white = true; }, 16, true, false},
      {"predictor, big-endian",
       [](TiffLayout& l) {
         l.samples = TiffSamples::kRgb8, l.compression = TiffCompression::kLzw;
         l.predictor = l.big_endian = true;
       },
       256, false, true},
      {"fill order", [](TiffLayout& l) { l.samples = TiffSamples::kGrey1, l.lsb_fill_order = true; }, 2, false, false},
  };
  TempDir dir;
  for (const Case& c : cases) {
    TiffLayout layout;
    layout.width = 33, layout.height = 9;
    c.set(layout);
    WriteTiff(dir.File("k.tif"), layout, PatternFn(c.levels));
    ImageBox box;
    ASSERT_TRUE(box.LoadPage(dir.File("k.tif"), 0)) << c.name << ": " << box.LastError();
    std::vector<uint8_t> want = c.colour ? PatternBgr(0, 33, 9) : PatternGrey(0, 33, 9, c.levels);
    for (auto& v : want) v = c.inverted ? static_cast<uint8_t>(255 - v) : v;
    EXPECT_EQ(box.PixelBytes(), want) << c.name;
  }
}

TEST(TiffKindsTest, FourBitAndGreyPalettes) {
  TempDir dir;
  TiffLayout layout;
  layout.samples = TiffSamples::kPalette4, layout.width = 15, layout.height = 3;
  WriteTiff(dir.File("p4.tif"), layout, PatternFn(16));
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("p4.tif"), 0)) << box.LastError();
  EXPECT_EQ(std::pair(box.BitDepth(), box.IsGreyImage()), std::pair(8, false));
  for (int i = 0; i < 45; ++i) ASSERT_EQ(box.PixelBytes()[i], Pattern(0, i % 15, i / 15, 0) % 16);
  box.ConvertDepth(24);
  EXPECT_EQ(std::pair(box.PixelBytes()[2], box.PixelBytes()[1]), std::pair(uint8_t{0}, uint8_t{255}));  // index 0
  // A palette of grey levels (here inverted) is a grey image.
  layout.samples = TiffSamples::kPalette8;
  layout.width = layout.height = 16;
  for (int i = 0; i < 256; ++i) layout.palette.push_back({uint16_t((255 - i) * 257), uint16_t((255 - i) * 257), uint16_t((255 - i) * 257)});
  WriteTiff(dir.File("greypal.tif"), layout, [](int, int x, int y, int) { return x + 16 * y; });
  ASSERT_TRUE(box.LoadPage(dir.File("greypal.tif"), 0)) << box.LastError();
  EXPECT_EQ(std::pair(box.BitDepth(), box.IsGreyImage()), std::pair(8, true));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(box.PixelBytes()[i], 255 - i);
}

TEST(TiffKindsTest, PagesInAnyOrderAndFilesRewrittenBetweenReads) {
  TempDir dir;
  const std::string path = dir.File("order.tif");
  TiffLayout layout;
  layout.width = layout.height = 8, layout.pages = 12, layout.compression = TiffCompression::kLzw;
  WriteTiff(path, layout, PatternFn());
  ImageBox box;
  for (const int16_t p : {11, 0, 5, 6, 7, 2, 11, 3, 3, 10, 1}) {
    ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
    EXPECT_EQ(box.PixelBytes(), PatternGrey(p, 8, 8)) << "page " << p;
  }
  EXPECT_FALSE(box.LoadPage(path, 12));
  EXPECT_NE(box.LastError().find("has no page 13"), std::string::npos) << box.LastError();
  EXPECT_TRUE(box.ImageWidth() == 0 && box.PixelBytes().empty());
  layout.pages = 4, layout.width = 9;
  WriteTiff(path, layout, [](int p, int, int, int) { return p * 10; });
  EXPECT_EQ(box.CountPages(path), 4);
  ASSERT_TRUE(box.LoadPage(path, 3)) << box.LastError();
  EXPECT_EQ(box.ImageWidth(), 9);
  EXPECT_EQ(box.PixelBytes(), std::vector<uint8_t>(72, 30));
}

// One strip of 8-bit samples written with libtiff's own codecs, for layouts the fixture does not
// make; a second sample is alpha.
std::string WriteStrip(const TempDir& dir, uint32_t w, uint16_t samples, std::vector<uint8_t> data,
                       std::initializer_list<std::pair<uint32_t, int>> fields) {
  const std::string path = dir.File("strip.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  const auto h = static_cast<uint32_t>(data.size() / w / samples);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
  const uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
  if (samples == 2) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
  for (const auto& [tag, value] : fields) TIFFSetField(tif, tag, value);
  EXPECT_GE(TIFFWriteEncodedStrip(tif, 0, data.data(), static_cast<tmsize_t>(data.size())), 0);
  TIFFClose(tif);
  return path;
}

// Layouts without plain samples go through libtiff's RGBA reader.
TEST(TiffKindsTest, JpegYCbCrCmykAndGreyWithAlpha) {
  TempDir dir;
  ImageBox box;
  std::vector<uint8_t> rgb(32 * 16 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = std::array<uint8_t, 3>{200, 40, 90}[i % 3];
  ASSERT_TRUE(box.LoadPage(WriteStrip(dir, 32, 3, rgb, {{TIFFTAG_COMPRESSION, COMPRESSION_JPEG}, {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR},
                                                        {TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB}, {TIFFTAG_JPEGQUALITY, 95}}),
                          0)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 24);
  ASSERT_EQ(box.PixelBytes().size(), rgb.size());
  for (size_t i = 0; i < rgb.size(); ++i) ASSERT_NEAR(box.PixelBytes()[i], (std::array{90, 40, 200}[i % 3]), 4) << i;
  // White, cyan, black and 50 % magenta.
  ASSERT_TRUE(box.LoadPage(WriteStrip(dir, 4, 4, {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 128, 0, 0},
                                      {{TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED}, {TIFFTAG_INKSET, INKSET_CMYK}}),
                          0)) << box.LastError();
  const auto& p = box.PixelBytes();
  EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 9), (std::vector<uint8_t>{255, 255, 255, 255, 255, 0, 0, 0, 0}));
  EXPECT_NEAR(p[10], 127, 2);  // green halved
  EXPECT_EQ(p[11], 255);
  ASSERT_TRUE(box.LoadPage(WriteStrip(dir, 3, 2, {10, 255, 20, 0, 30, 128}, {{TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK}}), 0))
      << box.LastError();
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{10, 20, 30}));
}

}  // namespace
}  // namespace lumetrix::imaging
