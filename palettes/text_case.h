#pragma once
// Case mapping of UTF-8 text without a locale: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters, enough for the names microscopists give their palettes. Other characters
// and malformed bytes pass through unchanged.

#include <string>
#include <string_view>

namespace lumetrix::palettes {

std::string ToLowerUtf8(std::string_view text);
// Only the first character upper-cased, the rest untouched.
std::string UpperFirstUtf8(std::string_view text);
// Case-insensitive equality (both sides lower-cased).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace lumetrix::palettes
