#pragma once
// Floating-point values become integers by rounding half to even, whatever the current
// floating-point rounding mode is.

#include <cmath>

namespace lumetrix::palettes {

inline double RoundHalfEven(double v) {
  double r = std::round(v);  // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
  return r;
}

}  // namespace lumetrix::palettes
