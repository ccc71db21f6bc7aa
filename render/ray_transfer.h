#pragma once
// Each channel's transfer from a stored value to what the ray caster needs at a sample, worked out
// on the CPU when its inputs change: the colour of a step premultiplied by the step's opacity,
// that opacity, and the displayed level. Read by the shader from a table, a sample costs one
// lookup instead of two powers, a palette lookup and a product.

#include <array>
#include <cstdint>
#include <vector>

#include "render/ray_volume.h"

namespace lumetrix {

// Entries per channel over the channel's display range: a stored value v is read at the entry
// nearest to (kRayTransferEntries - 1) * clamp((v - Min) / (Max - Min), 0, 1), so a narrow range of
// a 16-bit channel still has every entry (finer than the 256 levels of the slice stacks).
inline constexpr int kRayTransferEntries = 4096;

// 2 x channels rows of kRayTransferEntries RGBA entries, each 0..65535 for 0..1. At entry i,
// level = (i / (kRayTransferEntries - 1)) ^ Gamma and the opacity of a step of `step` voxels of
// a voxel whose opacity is level * transparency is 1 - (1 - level * transparency) ^ step.
// Row c (channel c, composite): tint * opacity, opacity; the tint is the palette's entry
// floor(level * 255 + 0.5) for channel 0 of a volume with a palette (256 RGB bytes), else the
// channel's colour times the level. Row channels + c: level, opacity, 0, 0.
std::vector<uint16_t> RayTransferTable(const std::vector<RayChannel>& channels, const std::vector<uint8_t>& palette,
                                       double transparency, double step);

// {x, y} such that a stored value v, as the texture gives it (v / top, 0..1), falls on its entry's
// centre in table texture coordinates at (v / top) * x + y: entry e spans [e, e + 1) / entries.
std::array<double, 2> RayTransferColumn(const RayChannel& channel);

}  // namespace lumetrix
