// Samples deeper than 8 bits are scaled to 0..255 from the minimum..maximum of the whole file,
// so every page of a stack keeps the same brightness scale.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

using test_support::TempDir;
using test_support::TiffCompression;
using test_support::TiffSamples;
using test_support::TiffLayout;
using test_support::WriteTiff;

uint8_t Scaled(double v, double lo, double hi) {
  return static_cast<uint8_t>(std::floor((v - lo) * 255.0 / (hi - lo) + 0.5));
}

// Page p holds values around 1000 + 1000 p; page 0 holds the file's maximum 3000 and page 2
// its minimum 1000, so no single page spans the file's range.
double Deep(int page, int x, int y, int c) {
  if (page == 0 && x == 0 && y == 0) return 3000;
  if (page == 2 && x == 1 && y == 0) return 1000;
  return 1500 + 200 * page + 10 * x + 3 * y + 100 * c;
}

class DeepScaleTest : public ::testing::Test {
 protected:
  TiffLayout Layout(TiffSamples samples) const {
    TiffLayout layout;
    layout.width = 12;
    layout.height = 5;
    layout.pages = 3;
    layout.samples = samples;
    return layout;
  }
  TempDir dir;
};

TEST_F(DeepScaleTest, SixteenBitPagesShareTheFileRange) {
  for (const auto compression : {TiffCompression::kNone, TiffCompression::kLzw}) {
    TiffLayout layout = Layout(TiffSamples::kGrey16);
    layout.compression = compression;
    layout.tiled = compression == TiffCompression::kLzw;
    const std::string path = dir.File(layout.tiled ? "deep_tiled.tif" : "deep.tif");
    WriteTiff(path, layout, Deep);
    ImageBox box;
    for (int16_t p = 2; p >= 0; --p) {  // the last page first: the range is still the file's
      ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
      EXPECT_EQ(box.BitDepth(), 16);
      EXPECT_TRUE(box.IsGreyImage());
      const auto& px = box.PixelBytes();
      ASSERT_EQ(px.size(), 60u);
      for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 12; ++x) {
          ASSERT_EQ(px[y * 12 + x], Scaled(Deep(p, x, y, 0), 1000, 3000)) << p << " " << x << " " << y;
        }
      }
    }
    EXPECT_NE(box.ImageInfo().find("1000..3000"), std::string::npos) << box.ImageInfo();
  }
}

TEST_F(DeepScaleTest, ConstantImageMapsToZero) {
  const std::string path = dir.File("flat.tif");
  WriteTiff(path, Layout(TiffSamples::kGrey16), [](int, int, int, int) { return 4242; });
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 1)) << box.LastError();
  EXPECT_EQ(box.PixelBytes(), std::vector<uint8_t>(60, 0));
}

TEST_F(DeepScaleTest, FloatAndSignedIntegerSamples) {
  const auto value = [](int page, int x, int y, int) { return -2.5 + page * 1.25 + x * 0.5 - y * 0.25; };
  double lo = 1e9, hi = -1e9;
  for (int p = 0; p < 3; ++p)
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 12; ++x) {
        lo = std::min(lo, value(p, x, y, 0));
        hi = std::max(hi, value(p, x, y, 0));
      }
  const std::string floats = dir.File("float.tif");
  WriteTiff(floats, Layout(TiffSamples::kGreyFloat32), value);
  const std::string ints = dir.File("int.tif");
  WriteTiff(ints, Layout(TiffSamples::kGreyInt32), [&](int p, int x, int y, int c) { return value(p, x, y, c) * 4e6; });
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(floats, 1)) << box.LastError();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(box.PixelBytes()[y * 12 + x], Scaled(value(1, x, y, 0), lo, hi));
  ASSERT_TRUE(box.LoadPage(ints, 2)) << box.LastError();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(box.PixelBytes()[y * 12 + x], Scaled(value(2, x, y, 0) * 4e6, lo * 4e6, hi * 4e6));
}

TEST_F(DeepScaleTest, MinIsWhiteSixteenBitIsInvertedBeforeScaling) {
  TiffLayout layout = Layout(TiffSamples::kGrey16);
  layout.min_is_white = true;
  WriteTiff(dir.File("white16.tif"), layout, Deep);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("white16.tif"), 0)) << box.LastError();
  // Inverted values run 65535-3000 .. 65535-1000: the brightest stored value becomes black.
  EXPECT_EQ(box.PixelBytes()[0], 0);
  ASSERT_TRUE(box.LoadPage(dir.File("white16.tif"), 2)) << box.LastError();
  EXPECT_EQ(box.PixelBytes()[1], 255);
}

TEST_F(DeepScaleTest, SixteenBitColourScalesAllChannelsTogether) {
  TiffLayout layout = Layout(TiffSamples::kRgb16);
  layout.planar = true;
  WriteTiff(dir.File("rgb16.tif"), layout, Deep);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("rgb16.tif"), 1)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 48);
  EXPECT_FALSE(box.IsGreyImage());
  // Range over every channel of every page: 1000 (page 2 red) .. 3000 (page 0 red).
  const auto& px = box.PixelBytes();
  ASSERT_EQ(px.size(), 60u * 3);
  for (int i = 0; i < 60; ++i) {
    const int x = i % 12, y = i / 12;
    ASSERT_EQ(px[3 * i + 2], Scaled(Deep(1, x, y, 0), 1000, 3000));
    ASSERT_EQ(px[3 * i + 1], Scaled(Deep(1, x, y, 1), 1000, 3000));
    ASSERT_EQ(px[3 * i], Scaled(Deep(1, x, y, 2), 1000, 3000));
  }
}

TEST_F(DeepScaleTest, ReplacedFileGetsItsOwnRange) {
  const std::string path = dir.File("replaced.tif");
  TiffLayout layout = Layout(TiffSamples::kGrey16);
  WriteTiff(path, layout, Deep);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_EQ(box.PixelBytes()[0], 255);
  layout.width = 13;  // a different size, so the file's identity changes for sure
  WriteTiff(path, layout, [](int, int x, int, int) { return x == 0 ? 6000 : 0; });
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_EQ(box.PixelBytes()[0], 255);
  EXPECT_EQ(box.PixelBytes()[1], 0);
}

TEST_F(DeepScaleTest, ConversionsOfDeepPages) {
  WriteTiff(dir.File("d.tif"), Layout(TiffSamples::kGrey16), Deep);
  ImageBox box;
  ASSERT_TRUE(box.LoadPage(dir.File("d.tif"), 0));
  const std::vector<uint8_t> grey = box.PixelBytes();
  box.ConvertDepth(24);
  EXPECT_EQ(box.BitDepth(), 24);
  ASSERT_EQ(box.PixelBytes().size(), grey.size() * 3);
  for (size_t i = 0; i < grey.size(); ++i) {
    ASSERT_EQ(box.PixelBytes()[3 * i], grey[i]);
    ASSERT_EQ(box.PixelBytes()[3 * i + 2], grey[i]);
  }
  ASSERT_TRUE(box.LoadPage(dir.File("d.tif"), 0));
  box.MakeGrey8();
  EXPECT_EQ(box.BitDepth(), 8);
  EXPECT_EQ(box.PixelBytes(), grey);
}

}  // namespace
}  // namespace lumetrix::imaging
