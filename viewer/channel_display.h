#pragma once
// How each channel of a hyperstack is shown: colour, visible, display range and gamma, and the
// time point shown. A stored value v becomes the level
//   255 * clamp((v - Min) / (Max - Min), 0, 1) ^ Gamma
// (Gamma above 1 darkens the middle, as ImageJ's gamma does); the levels of the visible
// channels, times their colours / 255, add per red, green, blue and are clamped to 255.

#include <cstdint>
#include <utility>
#include <vector>

#include "imaging/hyperstack.h"

namespace lumetrix {

struct ChannelDisplay {
  uint8_t Red = 255, Green = 255, Blue = 255;
  bool Visible = true;
  double Min = 0, Max = 255;
  double Gamma = 1;

  friend bool operator==(const ChannelDisplay&, const ChannelDisplay&) = default;
};

struct DisplaySettings {
  std::vector<ChannelDisplay> Channels;  // by channel of the file
  int32_t TimePoint = 1;                 // counting from 1

  friend bool operator==(const DisplaySettings&, const DisplaySettings&) = default;
};

// The colour a channel starts with: the file's colour or LUT when it gives one; otherwise grey
// for one channel, red, green, blue for RGB files, and green, magenta, cyan, yellow, red, blue,
// grey, orange for channels 1 to 8.
ChannelDisplay StartColour(const imaging::Hyperstack& s, int32_t channel);

// The range that leaves 0.35 % of the samples of `channel` (0-based; for RGB files all three)
// at time point `time` (0-based) below its minimum and 0.35 % above its maximum. Of n samples
// sorted, k = floor(0.0035 n) are cut at each end: the range is sorted[k] .. sorted[n - 1 - k]
// (so 285 samples cut none, 286 one, 2000 exactly 7). When that leaves no span, the samples'
// smallest to largest value, or one value and the next for a constant channel. In the file's
// stored values (imaging/stored_values.h), as every display range is.
std::pair<double, double> AutoRange(const imaging::Hyperstack& s, int32_t channel, int32_t time);

// The range a channel starts with: automatic for 16-bit samples; the file's range or 0..255
// (-128..127 signed) for 8-bit ones.
std::pair<double, double> StartRange(const imaging::Hyperstack& s, int32_t channel);

DisplaySettings StartDisplay(const imaging::Hyperstack& s);

// The level (0..255, not rounded) of stored value `v` through a channel's range and gamma.
double DisplayLevel(const ChannelDisplay& c, double v);

}  // namespace lumetrix
