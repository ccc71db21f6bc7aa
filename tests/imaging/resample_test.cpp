// Area averaging when shrinking, bilinear interpolation when enlarging, per axis.

#include <gtest/gtest.h>

#include <stdexcept>

#include "imaging/resample.h"

namespace lumetrix::imaging {
namespace {

TEST(ResampleTest, SmallImagesExactly) {
  struct Case {
    std::vector<uint8_t> src;
    int w, h, nw, nh, channels;
    std::vector<uint8_t> want;
  };
  const Case cases[] = {
      // 2 x 2 blocks averaged: 15, 101.5, 7.5, 254.75 rounded.
      {{0, 10, 100, 101, 20, 30, 102, 103, 7, 7, 255, 255, 8, 8, 255, 254}, 4, 4, 2, 2, 1, {15, 102, 8, 255}},
      {{0, 90, 180}, 3, 1, 2, 1, 1, {30, 150}},  // the middle pixel is split between both
      {{0, 100}, 2, 1, 4, 1, 1, {0, 25, 75, 100}},  // enlarging interpolates between pixel centres
      {{0, 10, 200, 100, 20, 0}, 1, 2, 1, 4, 3, {0, 10, 200, 25, 13, 150, 75, 18, 50, 100, 20, 0}},  // channels apart
      {{10, 20, 30, 50}, 4, 1, 2, 2, 1, {15, 40, 15, 40}},  // each axis its own method
      {{10, 20, 30, 50}, 4, 1, 4, 1, 1, {10, 20, 30, 50}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResampleBgr(c.src.data(), c.w, c.h, c.nw, c.nh, c.channels), c.want) << c.w << "x" << c.h << " to " << c.nw << "x" << c.nh;
  std::vector<uint8_t> half(40000, 0);  // an extreme shrink still averages
  std::fill(half.begin() + 20000, half.end(), 200);
  EXPECT_EQ(ResampleBgr(half.data(), 40000, 1, 1, 1, 1), std::vector<uint8_t>{100});
}

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

TEST(ResampleTest, RefusesBadSizes) {
  const std::vector<uint8_t> src(12);
  EXPECT_THROW(ResampleBgr(src.data(), 2, 2, 0, 3, 3), std::invalid_argument);
  EXPECT_THROW(ResampleBgr(src.data(), 2, 2, 3, 3, 0), std::invalid_argument);
  EXPECT_THROW(ResampleBgr(src.data(), -2, 2, 3, 3, 1), std::invalid_argument);
  EXPECT_THROW(ResampleBgr(src.data(), 2, 2, 60000, 60000, 3), std::invalid_argument);
}

// Resizing only the rows of an image equals resizing only the columns of its transpose, and
// resizing both axes equals resizing one and then the other up to one level of rounding.
TEST(ResampleTest, SingleAxisResizesAgreeWithEachOtherAndWithTheGeneralCase) {
  const int w = 23, h = 11, nh = 37;
  std::vector<uint8_t> img(static_cast<size_t>(w) * h), t(img.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) t[size_t(x) * h + y] = img[size_t(y) * w + x] = static_cast<uint8_t>((x * 37 + y * 91) % 251);
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
