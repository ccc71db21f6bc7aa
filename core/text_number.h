#pragma once
// Reading the number a text starts with, the way typed values are read throughout the program:
// leading blanks skipped, an optional sign, digits, a period as decimal point and an optional
// exponent; reading stops at the first character that does not fit; no number gives 0.

#include <string>

namespace lumetrix {

double LeadingNumber(const std::string& text);

}  // namespace lumetrix
