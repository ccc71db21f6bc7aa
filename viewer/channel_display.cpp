#include "viewer/channel_display.h"

#include <algorithm>
#include <cmath>

#include "viewer/channel_histogram.h"

namespace lumetrix {
namespace {

constexpr uint8_t kDefaultColours[8][3] = {{0, 255, 0},   {255, 0, 255}, {0, 255, 255},   {255, 255, 0},
                                           {255, 0, 0},   {0, 0, 255},   {255, 255, 255}, {255, 128, 0}};

}  // namespace

ChannelDisplay StartColour(const imaging::Hyperstack& s, int32_t channel) {
  ChannelDisplay c;
  const auto set = [&c](uint8_t r, uint8_t g, uint8_t b) { c.Red = r, c.Green = g, c.Blue = b; };
  const auto n = static_cast<size_t>(channel);
  if (s.rgb) {
    set(channel == 0 ? 255 : 0, channel == 1 ? 255 : 0, channel == 2 ? 255 : 0);
  } else if (n < s.looks.size() && s.looks[n].has_colour) {
    set(s.looks[n].red, s.looks[n].green, s.looks[n].blue);
  } else if (s.channels > 1) {
    const uint8_t* d = kDefaultColours[n % 8];
    set(d[0], d[1], d[2]);
  }
  return c;
}

std::pair<double, double> AutoRange(const imaging::Hyperstack& s, int32_t channel, int32_t time) {
  std::vector<uint64_t> histogram(s.bits == 8 ? 256 : 65536, 0);
  const int32_t first = s.rgb ? 0 : channel, last = s.rgb ? 3 : channel + 1;
  const size_t pixels = s.PlaneSamples();
  for (int32_t c = first; c < last; ++c) AddValueCounts(s, c, time, histogram);
  const uint64_t total = pixels * static_cast<uint64_t>(s.slices) * static_cast<uint64_t>(last - first);
  // Whole samples are cut: 0.35 % of the count rounded down, in integers (no rounding of a product).
  const uint64_t cut = total * 35 / 10000;
  size_t lo = 0, hi = histogram.size() - 1;
  for (uint64_t below = 0; lo < hi && below + histogram[lo] <= cut; ++lo) below += histogram[lo];
  for (uint64_t above = 0; hi > lo && above + histogram[hi] <= cut; --hi) above += histogram[hi];
  if (hi <= lo) {  // nearly constant: the whole range of the samples, or one step above
    lo = 0;
    while (lo + 1 < histogram.size() && histogram[lo] == 0) ++lo;
    hi = histogram.size() - 1;
    while (hi > lo && histogram[hi] == 0) --hi;
    if (hi == lo) hi = lo + 1;
  }
  return {s.values.Stored(static_cast<double>(lo)), s.values.Stored(static_cast<double>(hi))};
}

std::pair<double, double> StartRange(const imaging::Hyperstack& s, int32_t channel) {
  if (s.bits == 16) return AutoRange(s, channel, 0);
  const auto n = static_cast<size_t>(channel);
  if (n < s.looks.size() && s.looks[n].has_range && s.looks[n].max > s.looks[n].min) {
    return {s.looks[n].min, s.looks[n].max};
  }
  return {s.values.Stored(0), s.values.Stored(255)};
}

DisplaySettings StartDisplay(const imaging::Hyperstack& s) {
  DisplaySettings d;
  for (int32_t c = 0; c < s.channels; ++c) {
    ChannelDisplay look = StartColour(s, c);
    std::tie(look.Min, look.Max) = StartRange(s, c);
    d.Channels.push_back(look);
  }
  return d;
}

double DisplayLevel(const ChannelDisplay& c, double v) {
  const double span = c.Max - c.Min;
  if (!(span > 0)) return v >= c.Max ? 255.0 : 0.0;
  if (c.Gamma == 1) return std::clamp((v - c.Min) * 255.0 / span, 0.0, 255.0);
  return 255.0 * std::pow(std::clamp((v - c.Min) / span, 0.0, 1.0), c.Gamma);
}

}  // namespace lumetrix
