#include "render/scale_bar.h"

#include <cmath>
#include <cstdio>

namespace lumetrix {

double NiceLength(double most) {
  if (!(most > 0) || !std::isfinite(most)) return 0;
  double power = std::pow(10.0, std::floor(std::log10(most)));
  // log10 may land a hair off for exact powers of ten.
  if (power * 10 <= most) power *= 10;
  if (power > most) power /= 10;
  for (double step : {5.0, 2.0, 1.0})
    if (step * power <= most * (1 + 1e-12)) return step * power;
  return power;
}

std::string LengthLabel(double length, const std::string& unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", length);
  return std::string(text) + " " + unit;
}

}  // namespace lumetrix
