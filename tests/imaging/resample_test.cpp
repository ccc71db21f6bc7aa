// Area averaging when shrinking, bilinear interpolation when enlarging, per axis.

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "imaging/resample.h"

namespace lumetrix::imaging {
namespace {

TEST(ResampleTest, ConstantImagesStayConstant) {
  for (const int channels : {1, 3}) {
    for (const auto& [nw, nh] : {std::pair{7, 3}, std::pair{100, 45}, std::pair{13, 97}, std::pair{1, 1}}) {
      std::vector<uint8_t> src(31 * 17 * channels);
      for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i % channels == 0 ? 201 : 37);
      const auto out = ResampleBgr(src.data(), 31, 17, nw, nh, channels);
      ASSERT_EQ(out.size(), size_t(nw) * nh * channels);
      for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], i % channels == 0 ? 201 : 37) << i;
    }
  }
}

TEST(ResampleTest, ShrinkingAveragesBlocks) {
  // 4 x 4 grey into 2 x 2: each output is the mean of its 2 x 2 block.
  const std::vector<uint8_t> src = {0, 10, 100, 101,  //
                                    20, 30, 102, 103,  //
                                    7, 7, 255, 255,    //
                                    8, 8, 255, 254};
  const auto out = ResampleBgr(src.data(), 4, 4, 2, 2, 1);
  EXPECT_EQ(out, (std::vector<uint8_t>{15, 102, 8, 255}));  // 15, 101.5, 7.5, 254.75 rounded
  // Three into two: the middle pixel is split between both outputs.
  const std::vector<uint8_t> row = {0, 90, 180};
  EXPECT_EQ(ResampleBgr(row.data(), 3, 1, 2, 1, 1), (std::vector<uint8_t>{30, 150}));
}

TEST(ResampleTest, ShrinkingKeepsTheMean) {
  std::mt19937 random(5);
  std::vector<uint8_t> src(240 * 90 * 3);
  for (auto& v : src) v = static_cast<uint8_t>(random() % 256);
  const auto out = ResampleBgr(src.data(), 240, 90, 60, 30, 3);
  double a = 0, b = 0;
  for (const auto v : src) a += v;
  for (const auto v : out) b += v;
  EXPECT_NEAR(a / static_cast<double>(src.size()), b / static_cast<double>(out.size()), 0.5);
}

TEST(ResampleTest, EnlargingInterpolatesBetweenCentres) {
  const std::vector<uint8_t> row = {0, 100};
  EXPECT_EQ(ResampleBgr(row.data(), 2, 1, 4, 1, 1), (std::vector<uint8_t>{0, 25, 75, 100}));
  // The same along the other axis, and colour channels stay apart.
  const std::vector<uint8_t> column = {0, 10, 200, 100, 20, 0};
  EXPECT_EQ(ResampleBgr(column.data(), 1, 2, 1, 4, 3),
            (std::vector<uint8_t>{0, 10, 200, 25, 13, 150, 75, 18, 50, 100, 20, 0}));
}

TEST(ResampleTest, EachAxisChoosesItsOwnMethod) {
  // 4 x 1 -> 2 x 2: columns averaged, rows repeated.
  const std::vector<uint8_t> src = {10, 20, 30, 50};
  EXPECT_EQ(ResampleBgr(src.data(), 4, 1, 2, 2, 1), (std::vector<uint8_t>{15, 40, 15, 40}));
  const auto same = ResampleBgr(src.data(), 4, 1, 4, 1, 1);
  EXPECT_EQ(same, src);
}

TEST(ResampleTest, ExtremeShrinkStillAverages) {
  std::vector<uint8_t> src(40000);
  for (size_t i = 0; i < src.size(); ++i) src[i] = i < 20000 ? 0 : 200;
  EXPECT_EQ(ResampleBgr(src.data(), 40000, 1, 1, 1, 1), std::vector<uint8_t>{100});
}

TEST(ResampleTest, RefusesBadSizes) {
  const std::vector<uint8_t> src(12);
  EXPECT_THROW(ResampleBgr(src.data(), 2, 2, 0, 3, 3), std::invalid_argument);
  EXPECT_THROW(ResampleBgr(src.data(), 2, 2, 3, 3, 0), std::invalid_argument);
  EXPECT_THROW(ResampleBgr(src.data(), -2, 2, 3, 3, 1), std::invalid_argument);
  EXPECT_THROW(ResampleBgr(src.data(), 2, 2, 60000, 60000, 3), std::invalid_argument);
}

// One axis at a time gives what both axes together give: resizing only the rows of an image
// equals resizing only the columns of its transpose, and resizing both axes equals resizing one
// and then the other up to one level of rounding.
TEST(ResampleTest, SingleAxisResizesAgreeWithEachOtherAndWithTheGeneralCase) {
  const int w = 23, h = 11, nh = 37;
  std::vector<uint8_t> img(static_cast<size_t>(w) * h), t(img.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((x * 37 + y * 91) % 251);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) t[static_cast<size_t>(x) * h + y] = img[static_cast<size_t>(y) * w + x];
  const auto rows = ResampleBgr(img.data(), w, h, w, nh, 1);
  const auto cols = ResampleBgr(t.data(), h, w, nh, w, 1);
  for (int y = 0; y < nh; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(rows[static_cast<size_t>(y) * w + x], cols[static_cast<size_t>(x) * nh + y]);
  const auto both = ResampleBgr(img.data(), w, h, 2 * w, nh, 1);
  const auto wide = ResampleBgr(rows.data(), w, nh, 2 * w, nh, 1);
  for (size_t i = 0; i < both.size(); ++i) ASSERT_NEAR(both[i], wide[i], 1) << i;
}

}  // namespace
}  // namespace lumetrix::imaging

