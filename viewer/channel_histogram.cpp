#include "viewer/channel_histogram.h"

namespace lumetrix {

void AddValueCounts(const imaging::Hyperstack& s, int32_t channel, int32_t time, std::vector<uint64_t>& values) {
  const size_t pixels = s.PlaneSamples();
  for (int32_t z = 0; z < s.slices; ++z) {
    const uint8_t* p = s.Plane(channel, z, time);
    if (s.bits == 8) {
      for (size_t i = 0; i < pixels; ++i) ++values[p[i]];
    } else {
      const auto* q = reinterpret_cast<const uint16_t*>(p);
      for (size_t i = 0; i < pixels; ++i) ++values[q[i]];
    }
  }
}

ChannelHistogram MakeChannelHistogram(const imaging::Hyperstack& s, int32_t channel, int32_t time) {
  // Every value's count first, so the span is known before the bins are.
  std::vector<uint64_t> values(s.bits == 8 ? 256 : 65536, 0);
  AddValueCounts(s, channel, time, values);
  return BinValueCounts(values);
}

ChannelHistogram BinValueCounts(const std::vector<uint64_t>& values) {
  ChannelHistogram h;
  uint32_t low = 0, high = static_cast<uint32_t>(values.size()) - 1;
  while (low < high && values[low] == 0) ++low;
  while (high > low && values[high] == 0) --high;
  h.Low = low, h.High = high;
  const uint64_t width = high - low + 1;
  for (uint32_t v = low; v <= high; ++v) h.Counts[(v - low) * 256 / width] += values[v];
  return h;
}

}  // namespace lumetrix
