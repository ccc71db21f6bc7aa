// The bundled sample volumes are what the viewer and other tests open first: reproducible, and
// looking like fluorescence stacks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/imaging/test_helpers.h"

namespace lumetrix::imaging {
namespace {

const std::string kSamples = LUMETRIX_SAMPLES_DIR;

// Mean, minimum and maximum of every `stride`-th byte from `offset`.
std::tuple<double, int, int> Measure(const std::vector<uint8_t>& bytes, size_t stride = 1, size_t offset = 0) {
  double sum = 0;
  int lo = 255, hi = 0;
  for (size_t i = offset; i < bytes.size(); i += stride) {
    sum += bytes[i];
    lo = std::min<int>(lo, bytes[i]), hi = std::max<int>(hi, bytes[i]);
  }
  return {sum * static_cast<double>(stride) / static_cast<double>(bytes.size()), lo, hi};
}

TEST(SamplesTest, GeneratorIsDeterministic) {
  test_support::TempDir dir;
  ASSERT_EQ(std::system((std::string(LUMETRIX_MAKE_SAMPLES) + " " + dir.path().string()).c_str()), 0);
  for (const char* name : {"beads.tif", "beads_rgb.tif", "beads16.tif"})
    EXPECT_EQ(test_support::ReadBytes(dir.File(name)), test_support::ReadBytes(kSamples + "/" + name)) << name;
}

TEST(SamplesTest, BeadsOnADarkBackground) {
  ImageBox box;
  ASSERT_EQ(box.CountPages(kSamples + "/beads.tif"), 64);
  ASSERT_TRUE(box.LoadPage(kSamples + "/beads.tif", 32)) << box.LastError();
  EXPECT_EQ(std::tuple(box.ImageWidth(), box.ImageHeight(), box.BitDepth(), box.IsGreyImage()), std::tuple(256, 256, 8, true));
  const auto [mean, lo, hi] = Measure(box.PixelBytes());
  EXPECT_TRUE(mean > 5 && mean < 60 && hi > 120) << mean << " " << hi;  // dark, noisy, bright sparse objects
  std::vector<uint8_t> sorted = box.PixelBytes();
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  EXPECT_LT(sorted[sorted.size() / 2], mean + 10);  // mostly background
  const std::vector<uint8_t> middle = box.PixelBytes();
  ASSERT_TRUE(box.LoadPage(kSamples + "/beads.tif", 0)) << box.LastError();
  EXPECT_NE(box.PixelBytes(), middle);
  ASSERT_EQ(box.CountPages(kSamples + "/beads_rgb.tif"), 32);
  ASSERT_TRUE(box.LoadPage(kSamples + "/beads_rgb.tif", 16)) << box.LastError();
  EXPECT_EQ(std::pair(box.BitDepth(), box.IsGreyImage()), std::pair(24, false));
  for (size_t c = 0; c < 3; ++c) {  // three structures, one per channel
    const auto [channel_mean, channel_lo, channel_hi] = Measure(box.PixelBytes(), 3, c);
    EXPECT_TRUE(channel_hi > 100 && channel_mean > 2) << "channel " << c;
  }
}

TEST(SamplesTest, SixteenBitSampleIsScaledToItsRange) {
  ImageBox box;
  int darkest = 255, brightest = 0;
  ASSERT_EQ(box.CountPages(kSamples + "/beads16.tif"), 32);
  for (int16_t p = 0; p < 32; ++p) {
    ASSERT_TRUE(box.LoadPage(kSamples + "/beads16.tif", p) && box.BitDepth() == 16) << box.LastError();
    darkest = std::min(darkest, std::get<1>(Measure(box.PixelBytes())));
    brightest = std::max(brightest, std::get<2>(Measure(box.PixelBytes())));
  }
  EXPECT_EQ(std::pair(darkest, brightest), std::pair(0, 255));
}

}  // namespace
}  // namespace lumetrix::imaging
