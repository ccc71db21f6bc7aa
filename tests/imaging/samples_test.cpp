// The bundled sample volumes are what the viewer and other tests open first.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

const std::string kSamples = LUMETRIX_SAMPLES_DIR;

struct Stats {
  double mean = 0;
  int max = 0;
  int min = 255;
};

Stats Measure(const std::vector<uint8_t>& bytes, int stride = 1, int offset = 0) {
  Stats s;
  double sum = 0;
  size_t n = 0;
  for (size_t i = offset; i < bytes.size(); i += stride, ++n) {
    sum += bytes[i];
    s.max = std::max<int>(s.max, bytes[i]);
    s.min = std::min<int>(s.min, bytes[i]);
  }
  s.mean = sum / static_cast<double>(n);
  return s;
}

TEST(SamplesTest, GreyBeadsLookLikeAFluorescenceStack) {
  ImageBox box;
  const std::string path = kSamples + "/beads.tif";
  ASSERT_EQ(box.CountPages(path), 64);
  ASSERT_TRUE(box.LoadPage(path, 32)) << box.LastError();
  EXPECT_EQ(box.ImageWidth(), 256);
  EXPECT_EQ(box.ImageHeight(), 256);
  EXPECT_TRUE(box.IsGreyImage());
  EXPECT_EQ(box.BitDepth(), 8);
  const Stats mid = Measure(box.PixelBytes());
  // Dark background with noise, bright sparse objects.
  EXPECT_GT(mid.mean, 5);
  EXPECT_LT(mid.mean, 60);
  EXPECT_GT(mid.max, 120);
  std::vector<uint8_t> sorted = box.PixelBytes();
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  EXPECT_LT(sorted[sorted.size() / 2], mid.mean + 10);  // mostly background
  ASSERT_TRUE(box.LoadPage(path, 0)) << box.LastError();
  EXPECT_NE(box.PixelBytes(), sorted);
}

TEST(SamplesTest, RgbSampleHasThreeStructures) {
  ImageBox box;
  const std::string path = kSamples + "/beads_rgb.tif";
  ASSERT_EQ(box.CountPages(path), 32);
  ASSERT_TRUE(box.LoadPage(path, 16)) << box.LastError();
  EXPECT_EQ(box.BitDepth(), 24);
  EXPECT_FALSE(box.IsGreyImage());
  for (int c = 0; c < 3; ++c) {
    const Stats s = Measure(box.PixelBytes(), 3, c);
    EXPECT_GT(s.max, 100) << "channel " << c;
    EXPECT_GT(s.mean, 2) << "channel " << c;
  }
}

TEST(SamplesTest, SixteenBitSampleIsScaledToItsRange) {
  ImageBox box;
  const std::string path = kSamples + "/beads16.tif";
  ASSERT_EQ(box.CountPages(path), 32);
  int brightest = 0, darkest = 255;
  for (int16_t p = 0; p < 32; ++p) {
    ASSERT_TRUE(box.LoadPage(path, p)) << box.LastError();
    EXPECT_EQ(box.BitDepth(), 16);
    const Stats s = Measure(box.PixelBytes());
    brightest = std::max(brightest, s.max);
    darkest = std::min(darkest, s.min);
  }
  EXPECT_EQ(brightest, 255);
  EXPECT_EQ(darkest, 0);
}

TEST(SamplesTest, GeneratorIsDeterministic) {
  test_support::TempDir dir;
  const std::string command = std::string(LUMETRIX_MAKE_SAMPLES) + " " + dir.path().string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : {"beads.tif", "beads_rgb.tif", "beads16.tif"}) {
    EXPECT_EQ(test_support::ReadBytes(dir.File(name)), test_support::ReadBytes(kSamples + "/" + name)) << name;
  }
}

}  // namespace
}  // namespace lumetrix::imaging
