#pragma once
// Each channel's transfer from a stored value to what the ray caster needs at a sample, worked out
// once per frame on the CPU: the displayed level and the opacity of one step. Read by the shader
// from a table, a sample costs one lookup instead of two powers.

#include <cstdint>
#include <vector>

#include "render/ray_volume.h"

namespace lumetrix {

// Entries per channel: stored values 0..top (255 or 65535) map to entries 0..kRayTransferEntries-1,
// read at the nearest entry.
inline constexpr int kRayTransferEntries = 4096;

// Rows of kRayTransferEntries pairs (level, opacity), one row per channel, each 0..65535 for 0..1:
// level = clamp((v - Min) / (Max - Min), 0, 1) ^ Gamma, and the opacity of a step of `step` voxels
// of a voxel whose opacity is level * transparency: 1 - (1 - level * transparency) ^ step.
std::vector<uint16_t> RayTransferTable(const std::vector<RayChannel>& channels, double transparency, double step);

}  // namespace lumetrix
