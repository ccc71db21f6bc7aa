#pragma once
// The mipmap levels of a slice texture, made on the processor with a 2 x 2 box filter so that
// slices can be prepared on worker threads and handed to OpenGL level by level.

#include <cstdint>
#include <vector>

namespace lumetrix {

struct MipLevel {
  int32_t Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;  // Width x Height pixels of `channels` bytes, rows unpadded
};

// The next level: each side halved (rounded down, at least 1); every pixel is the rounded mean
// of the 2 x 2 block above it (a last odd row or column is left out, as OpenGL does).
MipLevel HalveBox(const MipLevel& from, int channels);

// `base` and every level below it down to 1 x 1; the first `skip` levels are dropped, so the
// chain starts `skip` halvings below the base (a downsampled texture).
std::vector<MipLevel> MipChain(MipLevel base, int channels, int skip);

}  // namespace lumetrix
