#include "scripting/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>
#include <algorithm>

namespace lumetrix::scripting {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  size_t end = i;
  // The exponent counts only when digits follow it; "2e" reads as 2.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      end = j;
    }
  }
  std::string number(text.substr(start, end - start));
  if (!number.empty() && number[0] == '+') number = number.substr(1);
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone then: tell underflow from overflow by the exponent.
    const size_t e = number.find_first_of("eE");
    const bool tiny = e != std::string::npos && number.size() > e + 1 && number[e + 1] == '-';
    if (tiny) return 0.0;
    return number[0] == '-' ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
  }
  if (result.ec != std::errc()) return 0.0;
  return value;
}

std::string FormatTwoDecimals(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  // The shortest text that reads back as this float is the value the user typed or the script
  // set; round that text, not the binary value.
  char buffer[64];
  const auto shortest = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
  const std::string_view text(buffer, static_cast<size_t>(shortest.ptr - buffer));
  const size_t point = std::min(text.find('.'), text.size());
  // Digits of the whole part and exactly two decimals, with one spare place in front for a carry.
  std::vector<char> digits{'0'};
  for (size_t i = 0; i < point; ++i) digits.push_back(text[i]);
  if (point == 0) digits.push_back('0');
  for (size_t i = 1; i <= 2; ++i) digits.push_back(point + i < text.size() ? text[point + i] : '0');
  if (point + 3 < text.size() && text[point + 3] >= '5') {
    for (size_t k = digits.size(); k-- > 0;) {
      if (digits[k] == '9') {
        digits[k] = '0';
      } else {
        ++digits[k];
        break;
      }
    }
  }
  size_t first = 0;  // drop leading zeros, keeping one before the point
  while (first + 3 < digits.size() && digits[first] == '0') ++first;
  bool zero = true;
  for (char d : digits) zero = zero && d == '0';
  std::string out;
  if (value < 0 && !zero) out.push_back('-');
  for (size_t k = first; k + 2 < digits.size(); ++k) out.push_back(digits[k]);
  out.push_back('.');
  out.push_back(digits[digits.size() - 2]);
  out.push_back(digits[digits.size() - 1]);
  return out;
}

std::string EditText(float value) {
  if (std::isnan(value)) return "0";
  if (std::isinf(value)) return value > 0 ? "3.402823E+38" : "-3.402823E+38";
  char buffer[64];
  // Six digits: a float holds a little more than that, and the seventh shows the noise of sums
  // (0.3 plus many small steps is 0.5120001, not 0.512).
  std::snprintf(buffer, sizeof buffer, "%.6G", static_cast<double>(value));
  // Negative zero shows as plain zero.
  if (std::strcmp(buffer, "-0") == 0) return "0";
  return std::string(buffer);
}

}  // namespace lumetrix::scripting
