#pragma once
// Number <-> text conversions with VBScript's formats, independent of the C locale.
#include <cstdint>

#include "variant.h"

namespace lumetrix::vbs {

// Parses a numeric string as VBScript does: blanks around, sign, digits with ',' group
// separators, '.', exponent, or &H / &O prefixes. False when the text is not a number.
bool ParseNumber(ustring_view text, double& value);
ustring FormatDouble(double v);  // 15 significant digits, "1E+15" style exponents
ustring FormatSingle(float v);   // 7 significant digits
ustring FormatCurrencyValue(int64_t scaled);  // up to 4 decimals
// Rounds half to even and checks the range of the target type (Overflow otherwise).
int32_t RoundToLong(double v);
int32_t RoundToInteger(double v);
// The numeric value of a plain (non-object) value, or Type mismatch; Null raises 94.
double NumericValue(const Variant& v);
// True when the value can be used as a number (IsNumeric).
bool LooksNumeric(const Variant& v);

}  // namespace lumetrix::vbs
