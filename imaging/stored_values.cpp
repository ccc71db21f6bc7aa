#include "imaging/stored_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumetrix::imaging {

std::pair<float, float> FiniteRange(const float* floats, size_t count) {
  float lo = std::numeric_limits<float>::infinity(), hi = -lo;
  for (size_t i = 0; i < count; ++i) {
    if (!std::isfinite(floats[i])) continue;
    lo = std::min(lo, floats[i]);
    hi = std::max(hi, floats[i]);
  }
  return {lo, hi};
}

void FloatsInto16(std::pair<float, float> range, const float* floats, size_t count, uint16_t* out) {
  const float lo = range.first;
  const double span = static_cast<double>(range.second) - lo;
  for (size_t i = 0; i < count; ++i) {
    const float v = floats[i];
    if (!std::isfinite(v)) out[i] = v > 0 ? 65535 : 0;
    else if (!(span > 0)) out[i] = 0;  // a constant file is black
    else out[i] = static_cast<uint16_t>(std::clamp(std::floor((v - lo) * 65535.0 / span + 0.5), 0.0, 65535.0));
  }
}

StoredValues FloatValuesOver(std::pair<float, float> range) {
  const double span = static_cast<double>(range.second) - range.first;
  StoredValues values;
  values.format = SampleFormat::kFloat;
  values.bits = 32;
  if (std::isfinite(range.first)) values.offset = range.first;
  if (span > 0) values.scale = span / 65535.0;
  return values;
}

StoredValues ScaleFloatsInto16(const float* floats, size_t count, uint16_t* out) {
  const std::pair<float, float> range = FiniteRange(floats, count);
  FloatsInto16(range, floats, count, out);
  return FloatValuesOver(range);
}

}  // namespace lumetrix::imaging
