#include "scripting/line_number_text.h"

#include <gtest/gtest.h>

namespace lumetrix::scripting {
namespace {

TEST(LineNumberText, EachRadixAndTheWidestNumber) {
  const std::tuple<long long, int, std::string> texts[] = {
      {255, 10, "255"}, {255, 16, "FF"}, {10, 2, "1010"}, {8, 8, "10"}, {4096, 16, "1000"},
      {12, 7, "12"} /* unknown radix: decimal */, {0, 16, "0"}, {9223372036854775807LL, 2, std::string(63, '1')}};
  for (const auto& [n, radix, text] : texts) EXPECT_EQ(LineNumberText(n, radix), text) << n << " " << radix;
  const std::tuple<long long, int, int> digits[] = {{0, 10, 1}, {99, 10, 2}, {100, 10, 3}, {255, 16, 2}, {256, 16, 3}, {1000, 2, 10}};
  for (const auto& [n, radix, count] : digits) EXPECT_EQ(LineNumberDigits(n, radix), count) << n << " " << radix;
}

}  // namespace
}  // namespace lumetrix::scripting
