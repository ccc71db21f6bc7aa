#include "scripting/line_number_text.h"

#include <algorithm>

namespace lumetrix::scripting {

std::string LineNumberText(long long line, int radix) {
  if (radix != 2 && radix != 8 && radix != 16) radix = 10;
  if (line <= 0) return "0";
  std::string digits;
  unsigned long long value = static_cast<unsigned long long>(line);
  while (value > 0) {
    digits.push_back("0123456789ABCDEF"[value % static_cast<unsigned>(radix)]);
    value /= static_cast<unsigned>(radix);
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

int LineNumberDigits(long long lineCount, int radix) {
  return static_cast<int>(LineNumberText(std::max(1LL, lineCount), radix).size());
}

}  // namespace lumetrix::scripting
