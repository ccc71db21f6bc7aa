// The Display window's histograms: 256 bins over the span of one channel's samples at one time point.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "viewer/channel_histogram.h"

namespace lumetrix {
namespace {

TEST(ChannelHistogram, BinsSpreadTheSpanOfOneChannelAtOneTimePointOver256) {
  struct Case {
    int bits, channel, time;
    std::vector<uint16_t> values;  // of each of the two slices
    uint32_t low, high;
    std::map<size_t, uint64_t> bins;  // the bins not empty, counts per slice
  };
  const Case cases[] = {
      {8, 0, 0, {0, 255, 255, 128}, 0, 255, {{0, 1}, {128, 1}, {255, 2}}},
      {8, 1, 1, {10, 11, 12}, 10, 12, {{0, 1}, {85, 1}, {170, 1}}},  // narrower than 256 values
      // Values on both sides of bin edges. 100..611 is 512 values, 2 per bin: 101 -> 1 * 256 / 512 = 0.5
      // -> bin 0, 102 -> 1, 300 -> 100, 611 -> 511 * 256 / 512 = 255.5 -> 255.
      {16, 1, 0, {100, 611, 300, 101, 102}, 100, 611, {{0, 2}, {1, 1}, {100, 1}, {255, 1}}},
      {16, 0, 1, {1000, 1000}, 1000, 1000, {{0, 2}}},
      // 0..65535, 256 values per bin: 255 | 256 and 65279 | 65280 are the edges of bins 0 | 1 and 254 | 255.
      {16, 0, 0, {0, 65535, 256, 255, 65279, 65280}, 0, 65535, {{0, 2}, {1, 1}, {254, 1}, {255, 2}}},
      // 0..256, 257 values: 2 -> 512 / 257 = 1.99 -> 1, 255 -> 65280 / 257 = 254.01 -> 254,
      // 256 -> 65536 / 257 = 255.00 -> 255.
      {16, 1, 1, {0, 1, 2, 255, 256}, 0, 256, {{0, 2}, {1, 1}, {254, 1}, {255, 1}}},
  };
  for (const Case& c : cases) {
    // Two channels, two time points, two slices; the planes of the other channel and time hold 7.
    imaging::Hyperstack s;
    s.width = static_cast<int32_t>(c.values.size()), s.height = 1, s.slices = 2, s.channels = 2, s.frames = 2;
    s.bits = c.bits;
    s.data.reset(static_cast<uint8_t*>(std::malloc(s.Bytes())));
    for (int32_t t = 0; t < 2; ++t)
      for (int32_t ch = 0; ch < 2; ++ch)
        for (int32_t z = 0; z < 2; ++z)
          for (size_t i = 0; i < c.values.size(); ++i) {
            const uint16_t v = ch == c.channel && t == c.time ? c.values[i] : 7;
            if (c.bits == 8) s.Plane(ch, z, t)[i] = static_cast<uint8_t>(v);
            else std::memcpy(s.Plane(ch, z, t) + 2 * i, &v, 2);
          }
    const ChannelHistogram h = MakeChannelHistogram(s, c.channel, c.time);
    EXPECT_EQ(std::pair(h.Low, h.High), std::pair(c.low, c.high)) << c.bits << " bits, first " << c.values[0];
    for (size_t b = 0; b < 256; ++b)
      EXPECT_EQ(h.Counts[b], c.bins.count(b) ? 2 * c.bins.at(b) : 0) << "bin " << b << ", first " << c.values[0];
  }
}

}  // namespace
}  // namespace lumetrix
