#include "render/ray_transfer.h"

#include <algorithm>
#include <cmath>

namespace lumetrix {

std::vector<uint16_t> RayTransferTable(const std::vector<RayChannel>& channels, double transparency, double step) {
  std::vector<uint16_t> table;
  table.reserve(channels.size() * 2 * kRayTransferEntries);
  const double opaque = std::clamp(transparency, 0.0, 1.0);
  auto unit = [](double x) { return static_cast<uint16_t>(std::lround(std::clamp(x, 0.0, 1.0) * 65535.0)); };
  for (const RayChannel& ch : channels) {
    for (int i = 0; i < kRayTransferEntries; ++i) {
      const double level = std::pow(static_cast<double>(i) / (kRayTransferEntries - 1), ch.Gamma);
      const double opacity = 1.0 - std::pow(1.0 - std::clamp(level * opaque, 0.0, 1.0), step);
      table.push_back(unit(level));
      table.push_back(unit(opacity));
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
