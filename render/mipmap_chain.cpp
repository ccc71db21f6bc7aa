#include "render/mipmap_chain.h"

#include <algorithm>
#include <utility>

namespace lumetrix {

MipLevel HalveBox(const MipLevel& from, int channels) {
  MipLevel to;
  to.Width = std::max(1, from.Width / 2);
  to.Height = std::max(1, from.Height / 2);
  to.Pixels.resize(static_cast<size_t>(to.Width) * static_cast<size_t>(to.Height) * static_cast<size_t>(channels));
  const size_t src_row = static_cast<size_t>(from.Width) * static_cast<size_t>(channels);
  // A side of 1 stays 1: the block is that one row or column taken twice.
  const size_t dx = from.Width > 1 ? static_cast<size_t>(channels) : 0;
  const size_t dy = from.Height > 1 ? src_row : 0;
  uint8_t* out = to.Pixels.data();
  for (int32_t y = 0; y < to.Height; ++y) {
    const uint8_t* a = from.Pixels.data() + static_cast<size_t>(from.Height > 1 ? 2 * y : y) * src_row;
    const uint8_t* b = a + dy;
    for (int32_t x = 0; x < to.Width; ++x) {
      const size_t at = static_cast<size_t>(from.Width > 1 ? 2 * x : x) * static_cast<size_t>(channels);
      for (int c = 0; c < channels; ++c)
        *out++ = static_cast<uint8_t>((a[at + c] + a[at + dx + c] + b[at + c] + b[at + dx + c] + 2) / 4);
    }
  }
  return to;
}

std::vector<MipLevel> MipChain(MipLevel base, int channels, int skip) {
  std::vector<MipLevel> chain;
  MipLevel level = std::move(base);
  for (int i = 0;; ++i) {
    const bool last = level.Width == 1 && level.Height == 1;
    MipLevel next = last ? MipLevel{} : HalveBox(level, channels);
    if (i >= skip) chain.push_back(std::move(level));
    if (last) break;
    level = std::move(next);
  }
  return chain;
}

}  // namespace lumetrix
