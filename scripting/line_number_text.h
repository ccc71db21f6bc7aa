#pragma once
// Line numbers of the editor margin in the chosen radix.

#include <string>

namespace lumetrix::scripting {

// Line 1-based; radix 2, 8, 10 or 16 (anything else shows decimal). Hexadecimal in capitals.
std::string LineNumberText(long long line, int radix);

// Number of digits the widest of lines 1..lineCount takes.
int LineNumberDigits(long long lineCount, int radix);

}  // namespace lumetrix::scripting
