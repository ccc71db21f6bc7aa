#include "render/ray_transfer.h"

#include <algorithm>
#include <cmath>

namespace lumetrix {

std::vector<uint16_t> RayTransferTable(const std::vector<RayChannel>& channels, const std::vector<uint8_t>& palette,
                                       double transparency, double step) {
  const size_t entries = kRayTransferEntries, rows = channels.size();
  std::vector<uint16_t> table(2 * rows * entries * 4, 0);
  const double opaque = std::clamp(transparency, 0.0, 1.0);
  auto unit = [](double x) { return static_cast<uint16_t>(std::lround(std::clamp(x, 0.0, 1.0) * 65535.0)); };
  for (size_t c = 0; c < rows; ++c) {
    const RayChannel& ch = channels[c];
    const bool tinted = c == 0 && palette.size() >= 3 * 256;
    for (size_t i = 0; i < entries; ++i) {
      const double level = std::pow(static_cast<double>(i) / (entries - 1), ch.Gamma);
      const double opacity = 1.0 - std::pow(1.0 - std::clamp(level * opaque, 0.0, 1.0), step);
      double tint[3] = {ch.Red * level, ch.Green * level, ch.Blue * level};
      if (tinted) {
        const size_t p = 3 * static_cast<size_t>(std::floor(level * 255.0 + 0.5));
        for (size_t k = 0; k < 3; ++k) tint[k] = palette[p + k] / 255.0;
      }
      uint16_t* blend = &table[(c * entries + i) * 4];
      for (size_t k = 0; k < 3; ++k) blend[k] = unit(tint[k] * opacity);
      blend[3] = unit(opacity);
      uint16_t* plain = &table[((rows + c) * entries + i) * 4];
      plain[0] = unit(level);
      plain[1] = unit(opacity);
    }
  }
  return table;
}

std::array<double, 2> RayTransferColumn(const RayChannel& channel) {
  // entry = (v - Min) / (Max - Min) * (entries - 1), read at (entry + 0.5) / entries.
  const double top = channel.Bits == 16 ? 65535.0 : 255.0;
  const double span = std::max(channel.Max - channel.Min, 1e-9) / top;  // in texture units
  const double n = kRayTransferEntries;
  const double x = (n - 1) / (span * n);
  return {x, 0.5 / n - channel.Min / top * x};
}

}  // namespace lumetrix
