#include "export/series/plane_extraction.h"

namespace lumetrix::series {

int ExtractPlane(const std::vector<uint8_t>& bgr, std::vector<uint8_t>& plane) {
  const size_t pixels = bgr.size() / 3;
  const uint8_t* src = bgr.data();
  int byte = 0;
  for (; byte < 2; ++byte) {
    bool any = false;
    for (size_t i = 0; i < pixels && !any; ++i) any = src[3 * i + static_cast<size_t>(byte)] != 0;
    if (any) break;
  }
  plane.resize(pixels);
  for (size_t i = 0; i < pixels; ++i) plane[i] = src[3 * i + static_cast<size_t>(byte)];
  return byte;
}

std::array<const std::vector<uint8_t>*, 3> MapChannels(const std::array<std::vector<uint8_t>, 3>& channels,
                                                      const std::array<int, 3>& source,
                                                      const std::vector<uint8_t>& black) {
  std::array<const std::vector<uint8_t>*, 3> out{};
  for (size_t k = 0; k < 3; ++k) {
    const int c = source[k];
    const bool usable = c >= 0 && c < 3 && channels[static_cast<size_t>(c)].size() == black.size();
    out[k] = usable ? &channels[static_cast<size_t>(c)] : &black;
  }
  return out;
}

}  // namespace lumetrix::series
