#include <gtest/gtest.h>

#include <limits>

#include "widgets/progress_fill.h"

namespace lumetrix::widgets {
namespace {

ProgressFill Bar(int32_t width, int32_t height, int32_t max) {
  ProgressFill fill;
  fill.SetClientSize(width, height);
  fill.SetMax(max);
  return fill;
}

TEST(ProgressFill, FillIsSizeTimesValueDividedByMax) {
  ProgressFill fill = Bar(200, 20, 100);
  EXPECT_TRUE(fill.SetValue(50));
  EXPECT_EQ(fill.FillLength(), 100);
  EXPECT_TRUE(fill.SetValue(51));
  EXPECT_EQ(fill.FillLength(), 102);
  ProgressFill third = Bar(100, 10, 3);
  third.SetValue(1);
  EXPECT_EQ(third.FillLength(), 33);
  third.SetValue(2);
  EXPECT_EQ(third.FillLength(), 66);  // 200 / 3 truncated
}

TEST(ProgressFill, SameFillLengthNeedsNoRepaint) {
  ProgressFill fill = Bar(100, 10, 1000);
  EXPECT_TRUE(fill.SetValue(10));  // 1 pixel
  EXPECT_FALSE(fill.SetValue(15));
  EXPECT_FALSE(fill.SetValue(19));
  EXPECT_TRUE(fill.SetValue(20));
  EXPECT_FALSE(Bar(100, 10, 100).SetValue(0));  // nothing filled before or after
}

TEST(ProgressFill, MaxBelowOneIsStoredAsOne) {
  ProgressFill fill = Bar(50, 5, 0);
  EXPECT_EQ(fill.Max(), 1);
  fill.SetMax(-7);
  EXPECT_EQ(fill.Max(), 1);
  fill.SetValue(1);
  EXPECT_EQ(fill.FillLength(), 50);
}

TEST(ProgressFill, MaxTakesEffectAtTheNextValue) {
  ProgressFill fill = Bar(100, 10, 100);
  fill.SetValue(50);
  fill.SetMax(200);
  EXPECT_EQ(fill.FillLength(), 50);
  EXPECT_TRUE(fill.SetValue(50));
  EXPECT_EQ(fill.FillLength(), 25);
}

TEST(ProgressFill, HorizontalRectangles) {
  ProgressFill fill = Bar(200, 20, 100);
  fill.SetValue(25);
  EXPECT_EQ(fill.BarRect(), (PixelRect{0, 0, 50, 20}));
  EXPECT_EQ(fill.RestRect(), (PixelRect{50, 0, 200, 20}));
}

TEST(ProgressFill, VerticalFillsFromTheBottom) {
  ProgressFill fill = Bar(20, 200, 100);
  ASSERT_TRUE(fill.SetOrientation(ProgressFill::kVertical));
  fill.SetValue(25);
  EXPECT_EQ(fill.FillLength(), 50);
  EXPECT_EQ(fill.BarRect(), (PixelRect{0, 150, 20, 200}));
  EXPECT_EQ(fill.RestRect(), (PixelRect{0, 0, 20, 150}));
  EXPECT_FALSE(fill.SetOrientation(2));
  EXPECT_EQ(fill.Orientation(), ProgressFill::kVertical);
}

TEST(ProgressFill, ValuesPastTheEndsStayInsideTheControl) {
  ProgressFill fill = Bar(200, 20, 100);
  fill.SetValue(150);
  EXPECT_EQ(fill.FillLength(), 200);
  EXPECT_EQ(fill.RestRect().Width(), 0);
  EXPECT_FALSE(fill.SetValue(1000));  // drawn the same: full
  fill.SetValue(-30);
  EXPECT_EQ(fill.FillLength(), 0);
  EXPECT_EQ(fill.BarRect().Width(), 0);
  fill.SetValue(std::numeric_limits<int32_t>::max());
  EXPECT_EQ(fill.FillLength(), 200);
  fill.SetValue(std::numeric_limits<int32_t>::min());
  EXPECT_EQ(fill.FillLength(), 0);
  // The raw arithmetic does not overflow either.
  EXPECT_EQ(ProgressFill::RawFillLength(200, std::numeric_limits<int32_t>::max(), 1),
            std::numeric_limits<int32_t>::max());
  EXPECT_EQ(ProgressFill::RawFillLength(200, -1, 3), -66);  // truncated toward zero
}

TEST(ProgressFill, ResizeRecomputesTheFill) {
  ProgressFill fill = Bar(200, 20, 100);
  fill.SetValue(50);
  EXPECT_EQ(fill.FillLength(), 100);
  fill.SetClientSize(100, 20);
  fill.Recompute();
  EXPECT_EQ(fill.FillLength(), 50);
  // 50 pixels are on screen now: a value that fills 100 again needs a repaint.
  EXPECT_TRUE(fill.SetValue(100));
  EXPECT_EQ(fill.FillLength(), 100);
}

}  // namespace
}  // namespace lumetrix::widgets
