#pragma once
// One level of a volume pyramid from the one below: the mean of each 2 x 2 x 2 block.

#include <cstdint>
#include <vector>

namespace lumetrix::streaming {

// Averages 2 x 2 x 2 blocks of `voxels` (w x h x d samples of `bits` 8 or 16, x fastest),
// rounded half up; the last voxel of an odd side is averaged alone with its neighbours on the
// other axes. `out` takes ceil(w/2) x ceil(h/2) x ceil(d/2) samples.
void HalveInto(const uint8_t* voxels, int bits, int32_t w, int32_t h, int32_t d, uint8_t* out);
std::vector<uint8_t> HalveVolume(const uint8_t* voxels, int bits, int32_t w, int32_t h, int32_t d);

}  // namespace lumetrix::streaming
