#pragma once
// Image resampling: area averaging along an axis that shrinks, bilinear interpolation along an
// axis that grows, a plain copy along an axis that keeps its size. Weights are exact to 1/65536
// and sum to one, so a constant image stays constant.

#include <cstdint>
#include <vector>

namespace lumetrix::imaging {

// `src` holds w x h pixels of `channels` (1..4) interleaved 8-bit samples, rows top first,
// unpadded; the result holds nw x nh such pixels. Throws std::invalid_argument for sizes
// below 1 or a result above 2 GB.
std::vector<uint8_t> ResampleBgr(const uint8_t* src, int w, int h, int nw, int nh, int channels);

}  // namespace lumetrix::imaging
