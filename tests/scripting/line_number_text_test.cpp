#include "scripting/line_number_text.h"

#include <gtest/gtest.h>

namespace lumetrix::scripting {
namespace {

TEST(LineNumberText, EachRadix) {
  EXPECT_EQ(LineNumberText(1, 10), "1");
  EXPECT_EQ(LineNumberText(255, 10), "255");
  EXPECT_EQ(LineNumberText(255, 16), "FF");
  EXPECT_EQ(LineNumberText(10, 2), "1010");
  EXPECT_EQ(LineNumberText(8, 8), "10");
  EXPECT_EQ(LineNumberText(4096, 16), "1000");
  EXPECT_EQ(LineNumberText(12, 7), "12");  // unknown radix: decimal
  EXPECT_EQ(LineNumberText(0, 16), "0");
  EXPECT_EQ(LineNumberText(9223372036854775807LL, 2), std::string(63, '1'));
}

TEST(LineNumberDigits, WidestNumber) {
  EXPECT_EQ(LineNumberDigits(0, 10), 1);
  EXPECT_EQ(LineNumberDigits(99, 10), 2);
  EXPECT_EQ(LineNumberDigits(100, 10), 3);
  EXPECT_EQ(LineNumberDigits(255, 16), 2);
  EXPECT_EQ(LineNumberDigits(256, 16), 3);
  EXPECT_EQ(LineNumberDigits(1000, 2), 10);
}

}  // namespace
}  // namespace lumetrix::scripting
