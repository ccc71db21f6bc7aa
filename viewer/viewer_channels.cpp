// The display of the shown volume's channels, as scripts and the command line set it.
#include <cmath>
#include <string>
#include <vector>

#include "core/view_value.h"
#include "viewer/hyperstack_view.h"
#include "viewer/viewer.h"

namespace lumetrix {

int32_t Viewer::ChannelCount() const { return VolumeShown() ? volume_.FileChannels : 0; }

int32_t Viewer::TimePointCount() const { return VolumeShown() ? volume_.TimePoints : 0; }

int32_t Viewer::TimePoint() const { return VolumeShown() ? volume_.Display.TimePoint : 0; }

ChannelDisplay& Viewer::ChannelAt(int32_t n) {
  if (!VolumeShown()) throw InvalidViewValue("First open image");
  KeepStack(volume_);
  if (!volume_.Stack || volume_.Display.Channels.size() != static_cast<size_t>(volume_.FileChannels))
    throw InvalidViewValue("The channels of this volume cannot be set");
  if (n < 1 || n > volume_.FileChannels)
    throw InvalidViewValue("There is no channel " + std::to_string(n) + "; channels count from 1 to " +
                           std::to_string(volume_.FileChannels) + ".");
  return volume_.Display.Channels[static_cast<size_t>(n - 1)];
}

void Viewer::ShowDisplay() {
  ShowChannels(volume_);
  RebuildTextures();
  Notify(ViewerChange::View);
  Notify(ViewerChange::Channels);
}

namespace {

void CheckColour(int32_t r, int32_t g, int32_t b) {
  for (int32_t c : {r, g, b})
    if (c < 0 || c > 255) throw InvalidViewValue("A colour's red, green and blue run from 0 to 255.");
}

void CheckRange(double min, double max) {
  if (!std::isfinite(min) || !std::isfinite(max) || !(max > min))
    throw InvalidViewValue("The display range needs a maximum above its minimum.");
}

void CheckGamma(double gamma) {
  if (!std::isfinite(gamma) || !(gamma > 0)) throw InvalidViewValue("The gamma must be above 0.");
}

void CheckTimePoint(int32_t t, int32_t count) {
  if (t < 1 || t > count)
    throw InvalidViewValue("There is no time point " + std::to_string(t) + "; time points count from 1 to " +
                           std::to_string(count) + ".");
}

}  // namespace

// Scripts set a channel on every frame of a movie: the textures are built again only when the
// look really changes.
void Viewer::ChangeChannel(int32_t n, const std::function<void(ChannelDisplay&)>& change) {
  ChannelDisplay& look = ChannelAt(n);
  const ChannelDisplay before = look;
  change(look);
  if (!(look == before)) ShowDisplay();
}

void Viewer::SetChannel(int32_t n, bool visible) {
  ChangeChannel(n, [&](ChannelDisplay& look) { look.Visible = visible; });
}

void Viewer::SetChannelColor(int32_t n, int32_t r, int32_t g, int32_t b) {
  CheckColour(r, g, b);
  ChangeChannel(n, [&](ChannelDisplay& look) {
    look.Red = static_cast<uint8_t>(r), look.Green = static_cast<uint8_t>(g), look.Blue = static_cast<uint8_t>(b);
  });
}

void Viewer::SetDisplayRange(int32_t n, double min, double max) {
  CheckRange(min, max);
  ChangeChannel(n, [&](ChannelDisplay& look) { look.Min = min, look.Max = max; });
}

void Viewer::SetGamma(int32_t n, double gamma) {
  CheckGamma(gamma);
  ChangeChannel(n, [&](ChannelDisplay& look) { look.Gamma = gamma; });
}

DisplaySettings Viewer::Display() const {
  if (!VolumeShown()) return {};
  DisplaySettings d = volume_.Display;
  // A plain grey volume keeps no settings until they change: it shows the start ones.
  if (d.Channels.size() < static_cast<size_t>(volume_.FileChannels)) d.Channels.resize(volume_.FileChannels);
  return d;
}

void Viewer::ShowDisplaySettings(const DisplaySettings& display) {
  if (display == Display()) return;
  if (display.Channels.size() != static_cast<size_t>(ChannelCount()))
    throw InvalidViewValue("The settings are for " + std::to_string(display.Channels.size()) +
                           " channels; the volume has " + std::to_string(ChannelCount()) + ".");
  for (const ChannelDisplay& c : display.Channels) CheckRange(c.Min, c.Max), CheckGamma(c.Gamma);
  CheckTimePoint(display.TimePoint, volume_.TimePoints);
  ChannelAt(1);  // a volume whose display can change
  volume_.Display = display;
  ShowDisplay();
}

void Viewer::AutoContrast(int32_t n) {
  ChannelDisplay& look = ChannelAt(n);
  std::tie(look.Min, look.Max) = lumetrix::AutoRange(*volume_.Stack, n - 1, volume_.Display.TimePoint - 1);
  ShowDisplay();
}

void Viewer::ResetChannel(int32_t n) {
  ChannelDisplay& look = ChannelAt(n);
  look = StartColour(*volume_.Stack, n - 1);
  std::tie(look.Min, look.Max) = StartRange(*volume_.Stack, n - 1);
  ShowDisplay();
}

ChannelHistogram Viewer::Histogram(int32_t n) {
  if (!volume_.Stack && VolumeShown() && volume_.IsGrey && !volume_.Empty() && n == 1) {
    // A plain grey volume keeps no copy of its planes until its display changes: count its samples.
    std::vector<uint64_t> values(256, 0);
    for (int32_t z = 0; z < volume_.Depth; ++z)
      for (int32_t y = 0; y < volume_.Height; ++y)
        for (int32_t x = 0; x < volume_.Width; ++x) ++values[volume_.At(z, x, y)];
    return BinValueCounts(values);
  }
  ChannelAt(n);
  return MakeChannelHistogram(*volume_.Stack, n - 1, volume_.Display.TimePoint - 1);
}

void Viewer::SetTimePoint(int32_t t) {
  if (!VolumeShown()) throw InvalidViewValue("First open image");
  CheckTimePoint(t, volume_.TimePoints);
  if (t == volume_.Display.TimePoint) return;
  ChannelAt(1);  // a volume whose display can change
  if (ShowPreparedTimePoint(t)) return;
  volume_.Display.TimePoint = t;
  ShowDisplay();
}

}  // namespace lumetrix
