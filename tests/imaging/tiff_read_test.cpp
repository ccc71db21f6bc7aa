// Every kind of TIFF page microscopists bring is read back with exact pixel values.

#include <gtest/gtest.h>

#include <tiffio.h>

#include <tuple>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using namespace lumetrix::imaging::testing;
using test_support::TempDir;
using test_support::TiffCompression;
using test_support::TiffSamples;
using test_support::TiffLayout;
using test_support::WriteTiff;

std::string Describe(TiffCompression c) {
  switch (c) {
    case TiffCompression::kNone: return "None";
    case TiffCompression::kLzw: return "Lzw";
    case TiffCompression::kDeflate: return "Deflate";
    case TiffCompression::kPackBits: return "PackBits";
  }
  return "";
}

// (compression, tiled, big TIFF)
class StorageTest : public ::testing::TestWithParam<std::tuple<TiffCompression, bool, bool>> {
 protected:
  TiffLayout Layout(TiffSamples samples) const {
    TiffLayout layout;
    layout.width = 37;  // odd sizes: partial strips, tiles and bytes
    layout.height = 21;
    layout.pages = 3;
    layout.samples = samples;
    layout.compression = std::get<0>(GetParam());
    layout.tiled = std::get<1>(GetParam());
    layout.big_tiff = std::get<2>(GetParam());
    layout.rows_per_strip = 4;
    return layout;
  }
  TempDir dir;
};

TEST_P(StorageTest, Grey8PagesReadExactly) {
  const std::string path = dir.File("grey8.tif");
  WriteTiff(path, Layout(TiffSamples::kGrey8), PatternFn());
  ImageBox box;
  ASSERT_EQ(box.CountPages(path), 3);
  for (int16_t p = 0; p < 3; ++p) {
    ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
    EXPECT_EQ(box.ImageWidth(), 37);
    EXPECT_EQ(box.ImageHeight(), 21);
    EXPECT_EQ(box.BitDepth(), 8);
    EXPECT_TRUE(box.IsGreyImage());
    EXPECT_EQ(box.PixelBytes(), PatternGrey(p, 37, 21)) << "page " << p;
  }
}

TEST_P(StorageTest, RgbContiguousReadsAsBgr) {
  const std::string path = dir.File("rgb.tif");
  WriteTiff(path, Layout(TiffSamples::kRgb8), PatternFn());
  ImageBox box;
  for (int16_t p = 0; p < 3; ++p) {
    ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
    EXPECT_EQ(box.BitDepth(), 24);
    EXPECT_FALSE(box.IsGreyImage());
    EXPECT_EQ(box.PixelBytes(), PatternBgr(p, 37, 21)) << "page " << p;
  }
}

TEST_P(StorageTest, RgbPlanarReadsAsBgr) {
  const std::string path = dir.File("planar.tif");
  TiffLayout layout = Layout(TiffSamples::kRgb8);
  layout.planar = true;
  WriteTiff(path, layout, PatternFn());
  ImageBox box;
  for (int16_t p = 0; p < 3; ++p) {
    ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
    EXPECT_EQ(box.PixelBytes(), PatternBgr(p, 37, 21)) << "page " << p;
  }
}

TEST_P(StorageTest, BilevelAndFourBitGreyAreStretched) {
  for (const auto& [samples, levels] : {std::pair{TiffSamples::kGrey1, 2}, std::pair{TiffSamples::kGrey4, 16}}) {
    const std::string path = dir.File("low.tif");
    WriteTiff(path, Layout(samples), PatternFn(levels));
    ImageBox box;
    ASSERT_TRUE(box.LoadPage(path, 1)) << box.LastError();
    EXPECT_EQ(box.BitDepth(), 8);
    EXPECT_TRUE(box.IsGreyImage());
    EXPECT_EQ(box.PixelBytes(), PatternGrey(1, 37, 21, levels)) << levels << " levels";
  }
}

TEST_P(StorageTest, PaletteIndicesAndColours) {
  const std::string path = dir.File("palette.tif");
  WriteTiff(path, Layout(TiffSamples::kPalette8), PatternFn());
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 2)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 8);
  EXPECT_FALSE(box.IsGreyImage());
  EXPECT_EQ(box.PixelBytes(), PatternGrey(2, 37, 21));  // the indices
  box.ConvertDepth(24);
  EXPECT_EQ(box.BitDepth(), 24);
  const std::vector<uint8_t>& bgr = box.PixelBytes();
  ASSERT_EQ(bgr.size(), 37u * 21 * 3);
  for (int i = 0; i < 37 * 21; ++i) {
    const int index = Pattern(2, i % 37, i / 37, 0);
    // The fixture's default colour ramp.
    ASSERT_EQ(bgr[3 * i + 2], index);
    ASSERT_EQ(bgr[3 * i + 1], 255 - index);
    ASSERT_EQ(bgr[3 * i], index * 97 % 256);
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllStorage, StorageTest,
    ::testing::Combine(::testing::Values(TiffCompression::kNone, TiffCompression::kLzw, TiffCompression::kDeflate,
                                         TiffCompression::kPackBits),
                       ::testing::Bool(), ::testing::Bool()),
    [](const auto& info) {
      return Describe(std::get<0>(info.param)) + (std::get<1>(info.param) ? "Tiles" : "Strips") +
             (std::get<2>(info.param) ? "Big" : "Classic");
    });

class TiffKindsTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(TiffKindsTest, RgbaDropsAlpha) {
  const std::string path = dir.File("rgba.tif");
  TiffLayout layout;
  layout.samples = TiffSamples::kRgba8;
  layout.width = 19;
  layout.height = 5;
  WriteTiff(path, layout, PatternFn());
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 24);
  EXPECT_EQ(box.PixelBytes(), PatternBgr(0, 19, 5));
}

TEST_F(TiffKindsTest, MinIsWhiteIsInverted) {
  for (const auto& [samples, levels] : {std::pair{TiffSamples::kGrey8, 256}, std::pair{TiffSamples::kGrey1, 2},
                                       std::pair{TiffSamples::kGrey4, 16}}) {
    const std::string path = dir.File("white.tif");
    TiffLayout layout;
    layout.samples = samples;
    layout.min_is_white = true;
    layout.width = 23;
    layout.height = 7;
    WriteTiff(path, layout, PatternFn(levels));
    ImageBox box;
    ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
    std::vector<uint8_t> expected = PatternGrey(0, 23, 7, levels);
    for (auto& v : expected) v = static_cast<uint8_t>(255 - v);
    EXPECT_EQ(box.PixelBytes(), expected) << levels << " levels";
  }
}

TEST_F(TiffKindsTest, PredictorBigEndianAndFillOrderAreUndone) {
  TiffLayout layout;
  layout.width = 33;
  layout.height = 9;
  layout.compression = TiffCompression::kLzw;
  layout.predictor = true;
  layout.big_endian = true;
  layout.samples = TiffSamples::kRgb8;
  WriteTiff(dir.File("pred.tif"), layout, PatternFn());
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("pred.tif"), 0)) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), PatternBgr(0, 33, 9));

  layout.samples = TiffSamples::kGrey1;
  layout.predictor = false;
  layout.compression = TiffCompression::kNone;
  layout.lsb_fill_order = true;
  WriteTiff(dir.File("fill.tif"), layout, PatternFn(2));
  ASSERT_TRUE(box.LoadPage(dir.File("fill.tif"), 0)) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), PatternGrey(0, 33, 9, 2));
}

TEST_F(TiffKindsTest, FourBitPaletteExpandsToColours) {
  TiffLayout layout;
  layout.samples = TiffSamples::kPalette4;
  layout.width = 15;
  layout.height = 3;
  WriteTiff(dir.File("p4.tif"), layout, PatternFn(16));
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("p4.tif"), 0)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 8);
  EXPECT_FALSE(box.IsGreyImage());
  for (int i = 0; i < 45; ++i) ASSERT_EQ(box.PixelBytes()[i], Pattern(0, i % 15, i / 15, 0) % 16);
  box.ConvertDepth(24);
  EXPECT_EQ(box.PixelBytes()[2], 0);  // pixel 0 has index 0: red 0, green 255
  EXPECT_EQ(box.PixelBytes()[1], 255);
}

TEST_F(TiffKindsTest, GreyPaletteIsReportedAsGreyLevels) {
  TiffLayout layout;
  layout.samples = TiffSamples::kPalette8;
  layout.width = 16;
  layout.height = 16;
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint16_t>((255 - i) * 257);  // an inverted grey ramp
    layout.palette.push_back({v, v, v});
  }
  WriteTiff(dir.File("greypal.tif"), layout, [](int, int x, int y, int) { return x + 16 * y; });
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("greypal.tif"), 0)) << box.LastError();
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_EQ(box.BitDepth(), 8);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(box.PixelBytes()[i], 255 - i);
}

TEST_F(TiffKindsTest, PagesInAnyOrder) {
  TiffLayout layout;
  layout.width = 8;
  layout.height = 8;
  layout.pages = 12;
  layout.compression = TiffCompression::kLzw;
  WriteTiff(dir.File("order.tif"), layout, PatternFn());
  ImageBox box;
  for (const int16_t p : {11, 0, 5, 6, 7, 2, 11, 3, 3, 10, 1}) {
    ASSERT_TRUE(box.LoadPage(dir.File("order.tif"), p)) << box.LastError();
    EXPECT_EQ(box.PixelBytes(), PatternGrey(p, 8, 8)) << "page " << p;
  }
  EXPECT_FALSE(box.LoadPage(dir.File("order.tif"), 12));
  EXPECT_NE(box.LastError().find("has no page 13"), std::string::npos) << box.LastError();
  EXPECT_EQ(box.ImageWidth(), 0);
  EXPECT_TRUE(box.PixelBytes().empty());
}

TEST_F(TiffKindsTest, ARewrittenFileIsReadAfresh) {
  TiffLayout layout;
  layout.width = 8;
  layout.height = 8;
  layout.pages = 2;
  const std::string path = dir.File("again.tif");
  WriteTiff(path, layout, PatternFn());
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 1));
  layout.pages = 4;
  layout.width = 9;
  WriteTiff(path, layout, [](int p, int, int, int) { return p * 10; });
  EXPECT_EQ(box.CountPages(path), 4);
  ASSERT_TRUE(box.LoadPage(path, 3)) << box.LastError();
  EXPECT_EQ(box.ImageWidth(), 9);
  EXPECT_EQ(box.PixelBytes(), std::vector<uint8_t>(72, 30));
}

TEST_F(TiffKindsTest, YCbCrJpegTiffGoesThroughTheRgbaReader) {
  // Written with libtiff's JPEG codec in YCbCr: no plain sample layout.
  const std::string path = dir.File("ycbcr.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 32);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 16);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
  TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  std::vector<uint8_t> rgb(32 * 16 * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = 200;
    rgb[i + 1] = 40;
    rgb[i + 2] = 90;
  }
  ASSERT_GE(TIFFWriteEncodedStrip(tif, 0, rgb.data(), static_cast<tmsize_t>(rgb.size())), 0);
  TIFFClose(tif);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 24);
  const auto& bgr = box.PixelBytes();
  ASSERT_EQ(bgr.size(), rgb.size());
  for (size_t i = 0; i < bgr.size(); i += 3) {
    ASSERT_NEAR(bgr[i + 2], 200, 4);
    ASSERT_NEAR(bgr[i + 1], 40, 4);
    ASSERT_NEAR(bgr[i], 90, 4);
  }
}

}  // namespace
}  // namespace lumetrix::imaging

namespace lumetrix::imaging {
namespace {

TEST(TiffExoticTest, CmykGoesThroughTheRgbaReader) {
  test_support::TempDir dir;
  const std::string path = dir.File("cmyk.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
  TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
  // White, cyan, black, and 50 % magenta.
  uint8_t cmyk[16] = {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 128, 0, 0};
  ASSERT_GE(TIFFWriteEncodedStrip(tif, 0, cmyk, 16), 0);
  TIFFClose(tif);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  const auto& p = box.PixelBytes();
  ASSERT_EQ(p.size(), 12u);
  EXPECT_EQ((std::vector<uint8_t>(p.begin(), p.begin() + 3)), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ((std::vector<uint8_t>(p.begin() + 3, p.begin() + 6)), (std::vector<uint8_t>{255, 255, 0}));
  EXPECT_EQ((std::vector<uint8_t>(p.begin() + 6, p.begin() + 9)), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_NEAR(p[10], 127, 2);  // green halved
  EXPECT_EQ(p[11], 255);
}

TEST(TiffExoticTest, GreyWithAlphaKeepsTheGrey) {
  test_support::TempDir dir;
  const std::string path = dir.File("ga.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 3);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 2);
  const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  uint8_t data[6] = {10, 255, 20, 0, 30, 128};
  ASSERT_GE(TIFFWriteEncodedStrip(tif, 0, data, 6), 0);
  TIFFClose(tif);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_EQ(box.PixelBytes(), (std::vector<uint8_t>{10, 20, 30}));
}

}  // namespace
}  // namespace lumetrix::imaging
