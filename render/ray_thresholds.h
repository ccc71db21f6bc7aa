#pragma once
// Per channel, the held values a ray's samples are compared with: the iso level, and the value
// below which a sample adds nothing to a frame of the mode shown (its level is 0: no colour, no
// opacity, never above the extreme a projection keeps, never found by the iso surface).

#include <vector>

#include "core/view_state.h"
#include "render/ray_volume.h"

namespace lumetrix {

// Channel c's iso level in held values: the middle of its display range by default.
double HeldIsoLevel(const ViewState& view, size_t c, const RayChannel& channel);

// Per channel: for the iso mode its iso level, for the other ray modes the display range's low
// end; no limit (infinity) for a hidden channel, none at all (minus infinity) for a gamma of 0,
// whose level at the low end is 1.
std::vector<double> DarkBelow(const ViewState& view, const std::vector<RayChannel>& channels);

}  // namespace lumetrix
