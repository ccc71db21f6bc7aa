#pragma once
// Rounding to the nearest whole number with halves going to the even neighbour, independent of
// the floating-point environment's current rounding mode.

#include <cstdint>

#include "core/rounding.h"

namespace lumetrix::gif {

using lumetrix::RoundHalfEven;

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
