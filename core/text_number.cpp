#include "core/text_number.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace lumetrix {

double LeadingNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const size_t start = i;
  auto digit = [&](size_t at) { return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  while (digit(i)) ++i, digits = true;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (digit(i)) ++i, digits = true;
  }
  if (!digits) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (digit(j)) {
      while (digit(j)) ++j;
      i = j;
    }
  }
  // from_chars ignores the locale: a period is the decimal point whatever the desktop's language.
  size_t from = start;
  if (text[from] == '+') ++from;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data() + from, text.data() + i, value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    const std::string number = text.substr(start, i - start);
    const bool tiny = number.find("e-") != std::string::npos || number.find("E-") != std::string::npos;
    return tiny ? 0.0 : (text[start] == '-' ? -HUGE_VAL : HUGE_VAL);
  }
  return ec == std::errc() ? value : 0;
}

}  // namespace lumetrix
