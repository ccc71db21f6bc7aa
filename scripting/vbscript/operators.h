#pragma once
// VBScript's operators on Variants: promotion (Integer -> Long -> Double on overflow), Null
// propagation, half-to-even rounding for \ and Mod, and the mixed-type comparison rules.
#include "variant.h"

namespace lumetrix::vbs {

enum class BinaryOp : uint8_t { Add, Sub, Mul, Div, IntDiv, Mod, Pow, Concat, And, Or, Xor, Eqv, Imp };

Variant Binary(BinaryOp op, const Variant& a, const Variant& b);
Variant Negate(const Variant& a);
Variant LogicalNot(const Variant& a);

// Comparison result: -1, 0, 1, or kCompareNull when either side is Null.
constexpr int kCompareNull = 2;
// `literalInvolved`: one side is a literal in the source, so a string meeting a number is
// converted to a number (otherwise numbers sort before strings).
int Compare(const Variant& a, const Variant& b, bool textCompare = false, bool literalInvolved = false);
bool SameObject(const Variant& a, const Variant& b);  // the Is operator

// Fitting an exact integer result into the narrowest of Integer/Long/Double at least `minTag`.
Variant FitInteger(int64_t v, uint16_t minTag);

}  // namespace lumetrix::vbs
