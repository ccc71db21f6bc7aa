// Samples deeper than 8 bits are scaled to 0..255 from the minimum..maximum of the whole file,
// so every page of a stack keeps the same brightness scale.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using test_support::SampleFn;
using test_support::TempDir;
using test_support::TiffCompression;
using test_support::TiffLayout;
using test_support::TiffSamples;
using test_support::WriteTiff;

// Page p holds values around 1500 + 200 p; page 0 holds the file's maximum 3000 and page 2 its
// minimum 1000, so no single page spans the file's range.
double Deep(int page, int x, int y, int c) {
  if (page == 0 && x == 0 && y == 0) return 3000;
  if (page == 2 && x == 1 && y == 0) return 1000;
  return 1500 + 200 * page + 10 * x + 3 * y + 100 * c;
}

TiffLayout Layout(TiffSamples samples) {
  TiffLayout layout;
  layout.width = 12, layout.height = 5, layout.pages = 3, layout.samples = samples;
  return layout;
}

TEST(DeepScaleTest, EveryPageIsScaledByTheRangeOfTheWholeFile) {
  const SampleFn fraction = [](int page, int x, int y, int) { return -2.5 + page * 1.25 + x * 0.5 - y * 0.25; };
  struct Case { TiffSamples samples; bool compressed_tiles, planar, white; SampleFn value; int channels; };
  const Case cases[] = {{TiffSamples::kGrey16, false, false, false, Deep, 1},
                        {TiffSamples::kGrey16, true, false, false, Deep, 1},
                        {TiffSamples::kGrey16, false, false, true, Deep, 1},  // inverted before scaling
                        {TiffSamples::kRgb16, false, true, false, Deep, 3},   // one range for all channels
                        {TiffSamples::kGreyFloat32, false, false, false, fraction, 1},
                        {TiffSamples::kGreyInt32, false, false, false, [&](int p, int x, int y, int c) { return fraction(p, x, y, c) * 4e6; }, 1}};
  TempDir dir;
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    TiffLayout layout = Layout(c.samples);
    layout.planar = c.planar, layout.tiled = c.compressed_tiles, layout.min_is_white = c.white;
    layout.compression = c.compressed_tiles ? TiffCompression::kLzw : TiffCompression::kNone;
    const std::string path = dir.File(std::to_string(k) + ".tif");
    WriteTiff(path, layout, c.value);
    const auto shown = [&](int p, int x, int y, int ch) { return c.white ? 65535 - c.value(p, x, y, ch) : c.value(p, x, y, ch); };
    double lo = INFINITY, hi = -INFINITY;
    for (int i = 0; i < 3 * 60 * c.channels; ++i) {  // page, row, column, channel
      const double v = shown(i / 60 % 3, i % 12, i / 12 % 5, i / 180);
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
    ImageBox box;
    for (int16_t p = 2; p >= 0; --p) {  // the last page first: the range is still the file's
      ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
      EXPECT_EQ(std::pair(box.BitDepth(), box.IsGreyImage()), std::pair(c.channels * 16, c.channels == 1)) << k;
      std::vector<uint8_t> want;
      for (int i = 0; i < 60; ++i)
        for (int ch = c.channels - 1; ch >= 0; --ch)  // colour as blue, green, red
          want.push_back(static_cast<uint8_t>(std::floor((shown(p, i % 12, i / 12, ch) - lo) * 255.0 / (hi - lo) + 0.5)));
      EXPECT_EQ(box.PixelBytes(), want) << "case " << k << " page " << p;
    }
  }
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("0.tif"), 0));
  EXPECT_NE(box.ImageInfo().find("1000..3000"), std::string::npos) << box.ImageInfo();
}

TEST(DeepScaleTest, ConstantFilesReplacedFilesAndConversions) {
  TempDir dir;
  const std::string path = dir.File("file.tif");
  TiffLayout layout = Layout(TiffSamples::kGrey16);
  WriteTiff(path, layout, [](int, int, int, int) { return 4242; });
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 1)) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), std::vector<uint8_t>(60, 0));  // a constant file is black
  layout.width = 13;  // a different size, so the file's identity changes for sure
  WriteTiff(path, layout, [](int, int x, int, int) { return x == 0 ? 6000 : 0; });
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  const std::vector<uint8_t> grey = box.PixelBytes();
  EXPECT_EQ(std::pair(grey[0], grey[1]), std::pair(uint8_t{255}, uint8_t{0}));  // its own range
  box.ConvertDepth(24);
  std::vector<uint8_t> bgr;
  for (const uint8_t v : grey) bgr.insert(bgr.end(), {v, v, v});
  EXPECT_EQ(std::pair(box.BitDepth(), box.PixelBytes()), std::pair(24, bgr));
  ASSERT_TRUE(box.LoadPage(path, 0));
  box.MakeGrey8();
  EXPECT_EQ(std::pair(box.BitDepth(), box.PixelBytes()), std::pair(8, grey));
}

}  // namespace
}  // namespace lumetrix::imaging
