#include <gtest/gtest.h>

#include <limits>

#include "widgets/progress_fill.h"

namespace lumetrix::widgets {
namespace {

constexpr int32_t kMost = std::numeric_limits<int32_t>::max(), kLeast = std::numeric_limits<int32_t>::min();

// size x value / max, truncated, kept inside the control; a max below 1 is stored as 1.
TEST(ProgressFill, FillLengths) {
  struct Row { int32_t size, max, value, fill; };
  for (const Row r : {Row{200, 100, 50, 100}, {200, 100, 51, 102}, {100, 3, 1, 33}, {100, 3, 2, 66},
                      {200, 100, 150, 200}, {200, 100, -30, 0}, {200, 100, kMost, 200}, {200, 100, kLeast, 0},
                      {50, 0, 1, 50}, {50, -7, 1, 50}}) {
    ProgressFill fill;
    fill.SetClientSize(r.size, 10);
    fill.SetMax(r.max);
    fill.SetValue(r.value);
    EXPECT_EQ(fill.FillLength(), r.fill) << r.size << " " << r.max << " " << r.value;
    EXPECT_EQ(fill.Max(), std::max(r.max, 1));
  }
  EXPECT_EQ(ProgressFill::RawFillLength(200, kMost, 1), kMost);  // no overflow
  EXPECT_EQ(ProgressFill::RawFillLength(200, -1, 3), -66);      // truncated toward zero
}

// The bar and the rest share the control without a gap: from the left, or from the bottom.
TEST(ProgressFill, BarAndRestTileTheControl) {
  ProgressFill fill;
  fill.SetClientSize(20, 200);
  fill.SetValue(25);
  EXPECT_EQ(fill.BarRect(), (PixelRect{0, 0, 5, 200}));
  EXPECT_EQ(fill.RestRect(), (PixelRect{5, 0, 20, 200}));
  ASSERT_TRUE(fill.SetOrientation(ProgressFill::kVertical));
  fill.Recompute();
  EXPECT_EQ(fill.BarRect(), (PixelRect{0, 150, 20, 200}));
  EXPECT_EQ(fill.RestRect(), (PixelRect{0, 0, 20, 150}));
}

TEST(ProgressFill, RepaintIsNeededOnlyWhenTheFillChanges) {
  ProgressFill fill;
  fill.SetClientSize(100, 10);
  fill.SetMax(1000);
  for (const auto& [value, repaint] : {std::pair{0, false}, {10, true}, {19, false}, {20, true}})
    EXPECT_EQ(fill.SetValue(value), repaint) << value;  // 0, 1, 1 and 2 pixels
  fill.SetMax(500);  // seen at the next value only
  EXPECT_EQ(fill.FillLength(), 2);
  EXPECT_TRUE(fill.SetValue(20));
  EXPECT_EQ(fill.FillLength(), 4);
  fill.SetClientSize(50, 10);
  fill.Recompute();
  EXPECT_EQ(fill.FillLength(), 2);
  EXPECT_TRUE(fill.SetValue(40));  // 4 pixels again: drawn anew
}

}  // namespace
}  // namespace lumetrix::widgets
