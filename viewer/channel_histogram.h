#pragma once
// How many samples of one channel at one time point fall in each of 256 equal bins over the
// channel's value span there (its smallest to its largest sample): what the Display window
// draws behind the channel's range sliders.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/hyperstack.h"

namespace lumetrix {

struct ChannelHistogram {
  // The smallest and largest sample; bin b counts the values v with
  // (v - Low) * 256 / (High - Low + 1) == b, so each bin is (High - Low + 1) / 256 values wide.
  uint32_t Low = 0, High = 0;
  std::array<uint64_t, 256> Counts{};
};

// channel and time count from 0; for RGB files channel 0, 1, 2 is red, green, blue.
ChannelHistogram MakeChannelHistogram(const imaging::Hyperstack& s, int32_t channel, int32_t time);
// The same from the count of every value 0, 1, 2, ... (256 or 65536 of them).
ChannelHistogram BinValueCounts(const std::vector<uint64_t>& values);
// Adds to `values` (256 or 65536 entries, by the stack's bits) how often each value occurs in the
// channel's samples at the time point, all slices.
void AddValueCounts(const imaging::Hyperstack& s, int32_t channel, int32_t time, std::vector<uint64_t>& values);

}  // namespace lumetrix
