#include "viewer/animation/channel_keys.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "viewer/animation/keyframe_track.h"

namespace lumetrix::animation {
namespace {

// The same operations, in the same order, as the lines "Save as script" writes.
double Between(double a, double b, double t) { return a + (b - a) * t; }

constexpr uint8_t kParts[] = {ChannelKey::kVisible, ChannelKey::kColor, ChannelKey::kRange, ChannelKey::kGamma};

void CopyPart(const ChannelKey& from, ChannelKey& to, uint8_t part) {
  if (part == ChannelKey::kVisible) to.Visible = from.Visible;
  if (part == ChannelKey::kColor) to.Color = from.Color;
  if (part == ChannelKey::kRange) to.Min = from.Min, to.Max = from.Max;
  if (part == ChannelKey::kGamma) to.Gamma = from.Gamma;
  to.Given |= part;
}

ChannelKey FromDisplay(const ChannelDisplay& d) {
  return {0, d.Visible, {double(d.Red), double(d.Green), double(d.Blue)}, d.Min, d.Max, d.Gamma};
}

std::string Plural(int32_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

}  // namespace

void BlendChannels(const Keyframe& from, const Keyframe& to, double t, std::vector<ChannelKey>& channels,
                   int32_t& timePoint) {
  channels = from.Channels;
  for (size_t c = 0; c < channels.size() && c < to.Channels.size(); ++c) {
    ChannelKey& out = channels[c];
    const ChannelKey& b = to.Channels[c];
    const uint8_t both = out.Given & b.Given;
    if (both & ChannelKey::kColor)
      for (int i = 0; i < 3; ++i) out.Color[i] = Between(out.Color[i], b.Color[i], t);
    if (both & ChannelKey::kRange) out.Min = Between(out.Min, b.Min, t), out.Max = Between(out.Max, b.Max, t);
    if (both & ChannelKey::kGamma) out.Gamma = Between(out.Gamma, b.Gamma, t);
  }
  timePoint = from.TimePoint;
  if (from.TimePoint > 0 && to.TimePoint > 0)
    timePoint = static_cast<int32_t>(std::nearbyint(Between(from.TimePoint, to.TimePoint, t)));
}

std::string StartFrom(KeyframeTrack& track, const DisplaySettings& shown, int32_t timePoints) {
  const size_t channels = shown.Channels.size();
  for (size_t k = 0; k < track.Keys.size(); ++k) {
    const Keyframe& key = track.Keys[k];
    const std::string where = "Keyframe " + std::to_string(k + 1) + " (frame " + std::to_string(key.Frame) + ")";
    for (size_t c = channels; c < key.Channels.size(); ++c)
      if (key.Channels[c].Given)
        return where + " sets channel " + std::to_string(c + 1) + ", but the volume has " +
               Plural(static_cast<int32_t>(channels), "channel");
    if (key.TimePoint > timePoints)
      return where + " shows time point " + std::to_string(key.TimePoint) + ", but the volume has " +
             Plural(timePoints, "time point");
  }
  for (size_t c = 0; c < channels; ++c)
    for (uint8_t part : kParts) {
      const auto gives = [&](const Keyframe& k) { return c < k.Channels.size() && (k.Channels[c].Given & part); };
      if (std::none_of(track.Keys.begin(), track.Keys.end(), gives)) continue;
      ChannelKey value = FromDisplay(shown.Channels[c]);
      for (Keyframe& k : track.Keys) {
        if (k.Channels.size() <= c) k.Channels.resize(c + 1);
        if (k.Channels[c].Given & part)
          CopyPart(k.Channels[c], value, part);
        else
          CopyPart(value, k.Channels[c], part);
      }
    }
  if (std::any_of(track.Keys.begin(), track.Keys.end(), [](const Keyframe& k) { return k.TimePoint > 0; })) {
    int32_t value = shown.TimePoint;
    for (Keyframe& k : track.Keys) {
      if (k.TimePoint > 0)
        value = k.TimePoint;
      else
        k.TimePoint = value;
    }
  }
  return "";
}

std::vector<ChannelKey> ChannelKeysOf(const DisplaySettings& shown) {
  std::vector<ChannelKey> keys;
  for (const ChannelDisplay& c : shown.Channels) {
    keys.push_back(FromDisplay(c));
    keys.back().Given = ChannelKey::kAll;
  }
  return keys;
}

DisplaySettings WithFrame(DisplaySettings display, const std::vector<ChannelKey>& channels, int32_t timePoint) {
  const auto level = [](double v) { return static_cast<uint8_t>(std::clamp(std::nearbyint(v), 0.0, 255.0)); };
  for (size_t c = 0; c < channels.size() && c < display.Channels.size(); ++c) {
    const ChannelKey& key = channels[c];
    ChannelDisplay& d = display.Channels[c];
    if (key.Given & ChannelKey::kVisible) d.Visible = key.Visible;
    if (key.Given & ChannelKey::kColor) d.Red = level(key.Color[0]), d.Green = level(key.Color[1]), d.Blue = level(key.Color[2]);
    // Between two valid keyframes rounding can close a very narrow range or bring a tiny gamma
    // to 0: keep them valid.
    if (key.Given & ChannelKey::kRange)
      d.Min = key.Min, d.Max = key.Max > key.Min ? key.Max : std::nextafter(key.Min, HUGE_VAL);
    if (key.Given & ChannelKey::kGamma) d.Gamma = key.Gamma > 0 ? key.Gamma : std::numeric_limits<double>::min();
  }
  if (timePoint > 0) display.TimePoint = timePoint;
  return display;
}

}  // namespace lumetrix::animation
