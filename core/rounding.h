#pragma once
// Conversions of floating-point values to integers the way the program has always made them:
// round half to even, with an overflow error when the result does not fit.

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace lumetrix {

class OverflowError : public std::overflow_error {
 public:
  OverflowError() : std::overflow_error("Overflow") {}
};

// Nearest integer, halves to the even neighbour (independent of the current rounding mode).
inline double RoundHalfEven(double v) {
  double r = std::round(v);  // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
  return r;
}

template <typename Int>
Int RoundTo(double v) {
  if (std::isnan(v)) throw OverflowError();
  const double r = RoundHalfEven(v);
  if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max()))
    throw OverflowError();
  return static_cast<Int>(r);
}

inline int16_t CInt(double v) { return RoundTo<int16_t>(v); }
inline int32_t CLng(double v) { return RoundTo<int32_t>(v); }

}  // namespace lumetrix
