#include "imaging/stored_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumetrix::imaging {

void FloatRange::Add(const float* floats, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!std::isfinite(floats[i])) continue;
    lo = std::min(lo, floats[i]);
    hi = std::max(hi, floats[i]);
  }
}

StoredValues ScaleFloatsInto16(const float* floats, size_t count, uint16_t* out) {
  FloatRange range;
  range.Add(floats, count);
  return ScaleFloatsOver(range, floats, count, out);
}

StoredValues ScaleFloatsOver(const FloatRange& range, const float* floats, size_t count, uint16_t* out) {
  const float lo = range.lo, hi = range.hi;
  const double span = static_cast<double>(hi) - lo;
  for (size_t i = 0; i < count; ++i) {
    const float v = floats[i];
    if (!std::isfinite(v)) out[i] = v > 0 ? 65535 : 0;
    else if (!(span > 0)) out[i] = 0;  // a constant file is black
    else out[i] = static_cast<uint16_t>(std::clamp(std::floor((v - lo) * 65535.0 / span + 0.5), 0.0, 65535.0));
  }
  StoredValues values;
  values.format = SampleFormat::kFloat;
  values.bits = 32;
  if (std::isfinite(lo)) values.offset = lo;
  if (span > 0) values.scale = span / 65535.0;
  return values;
}

}  // namespace lumetrix::imaging
