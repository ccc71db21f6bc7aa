#pragma once
// Rounding to the nearest whole number with halves going to the even neighbour, independent of
// the floating-point environment's current rounding mode.

#include <cmath>
#include <cstdint>

namespace lumetrix::gif {

inline double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) return floor + 1.0;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

// numerator / denominator rounded half to even, exactly (denominator > 0).
inline int64_t DivideRoundHalfEven(int64_t numerator, int64_t denominator) {
  int64_t quotient = numerator / denominator;
  int64_t remainder = numerator % denominator;
  if (remainder < 0) {  // make the remainder non-negative: floor division
    remainder += denominator;
    quotient -= 1;
  }
  const int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && (quotient & 1) != 0)) ++quotient;
  return quotient;
}

}  // namespace lumetrix::gif
