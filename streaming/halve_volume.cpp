#include "streaming/halve_volume.h"

#include <cstddef>

namespace lumetrix::streaming {
namespace {

template <typename T>
void Halve(const T* in, int32_t w, int32_t h, int32_t d, T* out) {
  const int32_t w2 = (w + 1) / 2, h2 = (h + 1) / 2, d2 = (d + 1) / 2;
  for (int32_t z = 0; z < d2; ++z)
    for (int32_t y = 0; y < h2; ++y)
      for (int32_t x = 0; x < w2; ++x) {
        uint64_t sum = 0;
        int n = 0;
        for (int32_t dz = 0; dz < 2 && 2 * z + dz < d; ++dz)
          for (int32_t dy = 0; dy < 2 && 2 * y + dy < h; ++dy)
            for (int32_t dx = 0; dx < 2 && 2 * x + dx < w; ++dx, ++n)
              sum += in[(static_cast<size_t>(2 * z + dz) * h + (2 * y + dy)) * w + (2 * x + dx)];
        out[(static_cast<size_t>(z) * h2 + y) * w2 + x] = static_cast<T>((sum + n / 2) / n);
      }
}

}  // namespace

void HalveInto(const uint8_t* voxels, int bits, int32_t w, int32_t h, int32_t d, uint8_t* out) {
  if (bits == 16)
    Halve(reinterpret_cast<const uint16_t*>(voxels), w, h, d, reinterpret_cast<uint16_t*>(out));
  else
    Halve(voxels, w, h, d, out);
}

std::vector<uint8_t> HalveVolume(const uint8_t* voxels, int bits, int32_t w, int32_t h, int32_t d) {
  const size_t n = static_cast<size_t>((w + 1) / 2) * ((h + 1) / 2) * ((d + 1) / 2);
  std::vector<uint8_t> out(n * static_cast<size_t>(bits / 8));
  HalveInto(voxels, bits, w, h, d, out.data());
  return out;
}

}  // namespace lumetrix::streaming
