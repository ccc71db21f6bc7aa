#pragma once
// How the parameters window reads and shows numbers: typed text is read up to the first
// character that does not belong to a number, values are shown with two decimals.

#include <string>
#include <string_view>

namespace lumetrix::scripting {

// The number a text starts with: leading blanks skipped, an optional sign, digits, a period as
// the decimal point and an optional exponent. Text that starts with no number gives 0.
// A number too large for a double reads as +/-infinity, one too small as 0.
double ReadLeadingNumber(std::string_view text);

// "#####0.00": fixed point, exactly two decimals, at least one digit before the point, a minus
// for negative values, no digit grouping. Halves round away from zero on the value as the user
// would write it (0.125 -> 0.13). A value that rounds to zero shows as 0.00.
std::string FormatTwoDecimals(float value);

// The default text of the change box: up to 6 significant digits, no trailing zeros.
std::string EditText(float value);

}  // namespace lumetrix::scripting
