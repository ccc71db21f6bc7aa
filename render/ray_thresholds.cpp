#include "render/ray_thresholds.h"

#include <limits>

namespace lumetrix {

double HeldIsoLevel(const ViewState& view, size_t c, const RayChannel& channel) {
  const double iso = c < view.IsoLevel.size() ? view.IsoLevel[c] : kIsoMiddle;
  return iso == kIsoMiddle ? (channel.Min + channel.Max) / 2 : channel.Values.Internal(iso);
}

std::vector<double> DarkBelow(const ViewState& view, const std::vector<RayChannel>& channels) {
  constexpr double kNone = -std::numeric_limits<double>::infinity();
  std::vector<double> below;
  for (size_t c = 0; c < channels.size(); ++c) {
    const RayChannel& ch = channels[c];
    if (!ch.Visible)
      below.push_back(std::numeric_limits<double>::infinity());
    else if (view.Mode == RenderMode::Iso)
      below.push_back(HeldIsoLevel(view, c, ch));
    else
      below.push_back(ch.Gamma > 0 ? ch.Min : kNone);
  }
  return below;
}

}  // namespace lumetrix
