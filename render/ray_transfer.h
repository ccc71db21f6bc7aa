#pragma once
// Each channel's transfer from a stored value to what the ray caster needs at a sample, worked out
// once per frame on the CPU: the displayed level and the opacity of one step. Read by the shader
// from a table, a sample costs one lookup instead of two powers.

#include <array>
#include <cstdint>
#include <vector>

#include "render/ray_volume.h"

namespace lumetrix {

// Entries per channel over the channel's display range: a stored value v is read at the entry
// nearest to (kRayTransferEntries - 1) * clamp((v - Min) / (Max - Min), 0, 1), so a narrow range of
// a 16-bit channel still has every entry (finer than the 256 levels of the slice stacks).
inline constexpr int kRayTransferEntries = 4096;

// Rows of kRayTransferEntries pairs (level, opacity), one row per channel, each 0..65535 for 0..1:
// at entry i, level = (i / (kRayTransferEntries - 1)) ^ Gamma, and the opacity of a step of `step`
// voxels of a voxel whose opacity is level * transparency: 1 - (1 - level * transparency) ^ step.
std::vector<uint16_t> RayTransferTable(const std::vector<RayChannel>& channels, double transparency, double step);

// {x, y} such that a stored value v, as the texture gives it (v / top, 0..1), falls on its entry's
// centre in table texture coordinates at (v / top) * x + y: entry e spans [e, e + 1) / entries.
std::array<double, 2> RayTransferColumn(const RayChannel& channel);

}  // namespace lumetrix
