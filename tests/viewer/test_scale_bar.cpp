#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "viewer/scale_bar.h"

namespace lumetrix {
namespace {

TEST(NiceLength, LargestOneTwoFiveStepNotAboveTheRoom) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double most, length;
  } cases[] = {{1, 1},      {1.9, 1},    {2, 2},       {4.99, 2},    {5, 5},     {9.99, 5}, {10, 10},
               {19.88, 10}, {0.3, 0.2},  {0.07, 0.05}, {1000, 1000}, {999, 500}, {0, 0},    {-3, 0},
               {inf, 0},    {std::nan(""), 0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(NiceLength(c.most), c.length) << c.most;
  EXPECT_EQ(LengthLabel(20, "px"), "20 px");
  EXPECT_EQ(LengthLabel(0.5, "um"), "0.5 um");
}

}  // namespace
}  // namespace lumetrix
