// The Display window's model: histograms (256 bins over the span of one channel's samples at
// one time point), Auto's range and when a dragged slider's change shows at once.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "viewer/channel_display.h"
#include "viewer/channel_histogram.h"
#include "viewer/live_preview.h"

namespace lumetrix {
namespace {

// Two channels, two time points of `slices` slices of `width` x 1 samples; sample i of slice z
// of (channel, time) is value(c, t, z, i).
imaging::Hyperstack MakeStack(int bits, int32_t width, int32_t slices,
                              const std::function<uint16_t(int32_t, int32_t, int32_t, int32_t)>& value) {
  imaging::Hyperstack s;
  s.width = width, s.height = 1, s.slices = slices, s.channels = 2, s.frames = 2;
  s.bits = bits;
  s.data.reset(static_cast<uint8_t*>(std::malloc(s.Bytes())));
  for (int32_t t = 0; t < 2; ++t)
    for (int32_t ch = 0; ch < 2; ++ch)
      for (int32_t z = 0; z < slices; ++z)
        for (int32_t i = 0; i < width; ++i) {
          const uint16_t v = value(ch, t, z, i);
          if (bits == 8) s.Plane(ch, z, t)[i] = static_cast<uint8_t>(v);
          else std::memcpy(s.Plane(ch, z, t) + 2 * i, &v, 2);
        }
  return s;
}

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
    // The planes of the other channel and time hold 7.
    const imaging::Hyperstack s = MakeStack(c.bits, static_cast<int32_t>(c.values.size()), 2, [&](int32_t ch, int32_t t, int32_t, int32_t i) {
      return ch == c.channel && t == c.time ? c.values[static_cast<size_t>(i)] : uint16_t{7};
    });
    const ChannelHistogram h = MakeChannelHistogram(s, c.channel, c.time);
    EXPECT_EQ(std::pair(h.Low, h.High), std::pair(c.low, c.high)) << c.bits << " bits, first " << c.values[0];
    for (size_t b = 0; b < 256; ++b)
      EXPECT_EQ(h.Counts[b], c.bins.count(b) ? 2 * c.bins.at(b) : 0) << "bin " << b << ", first " << c.values[0];
  }
}

// Of n samples of channel 2 at time point 2 sorted, k = floor(0.0035 n) go at each end: the range
// is sorted[k] .. sorted[n - 1 - k]. A ramp 1000, 1001, ... (n = 2 slices x width) makes sorted[i]
// = 1000 + i: n = 284 -> 0.994 cuts none, 286 -> 1.001 one, 1998 -> 6.993 six, 2000 -> exactly 7
// seven (numpy's percentile(method='inverted_cdf') at 0.35 % gives sorted[6] there: a whole
// 0.35 % may go). The other channel and time point hold 0 and 65535, which must not count.
TEST(ChannelHistogram, AutoCutsTheWholeSamplesWithinPointThreeFivePercentAtEachEnd) {
  struct Case {
    int bits, width;
    std::function<uint16_t(int32_t)> value;  // of sample i of both slices together
    double min, max;
  };
  const auto ramp = [](int32_t i) { return static_cast<uint16_t>(1000 + i); };
  // 1000 samples (cut 3): `outliers` at 0 and as many at 255, the others 100..199 in turn.
  const auto spikes = [](int32_t outliers) {
    return [outliers](int32_t i) { return static_cast<uint16_t>(i < outliers ? 0 : i >= 1000 - outliers ? 255 : 100 + i % 100); };
  };
  const Case cases[] = {
      {16, 142, ramp, 1000, 1283}, {16, 143, ramp, 1001, 1284}, {16, 999, ramp, 1006, 2991},
      {16, 1000, ramp, 1007, 2992}, {8, 500, spikes(3), 100, 199}, {8, 500, spikes(4), 0, 255},
      {16, 10, [](int32_t) { return uint16_t{40000}; }, 40000, 40001},  // constant: one step above
      {8, 500, [](int32_t i) { return static_cast<uint16_t>(i < 997 ? 9 : 30); }, 9, 30},  // all but 3 alike
  };
  for (const Case& c : cases) {
    const imaging::Hyperstack s = MakeStack(c.bits, c.width, 2, [&](int32_t ch, int32_t t, int32_t z, int32_t i) {
      return ch == 1 && t == 1 ? c.value(z * c.width + i) : static_cast<uint16_t>(ch ? 0 : 65535);
    });
    EXPECT_EQ(AutoRange(s, 1, 1), std::pair(c.min, c.max)) << c.bits << " bits, " << 2 * c.width << " samples";
  }
}

// The picture follows a dragged slider up to kLivePreviewSamples samples of one time point.
TEST(ChannelHistogram, APreviewFollowsTheDragOnlyForVolumesThatRebuildFast) {
  const int64_t most = static_cast<int64_t>(kLivePreviewSamples);
  const struct {
    int64_t width, height, depth, channels;
    bool live;
  } cases[] = {
      {32, 32, 4, 1, true}, {most, 1, 1, 1, true}, {most + 1, 1, 1, 1, false}, {1, 1, most / 2, 2, true},
      {1, most / 2 + 1, 1, 2, false}, {0, 10, 10, 1, false}, {1 << 30, 1 << 30, 1 << 30, 8, false},  // no overflow
  };
  for (const auto& c : cases)
    EXPECT_EQ(PreviewWhileDragging(c.width, c.height, c.depth, c.channels), c.live) << c.width << " " << c.height << " "
                                                                                   << c.depth << " " << c.channels;
}

}  // namespace
}  // namespace lumetrix
