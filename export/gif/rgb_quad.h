#pragma once
// One palette entry in the byte order of an 8-bit bitmap colour table.

#include <array>
#include <cstdint>

namespace lumetrix::gif {

struct RGBQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;

  friend bool operator==(const RGBQuad&, const RGBQuad&) = default;
};
static_assert(sizeof(RGBQuad) == 4);

inline constexpr int kPaletteSize = 256;
using Palette256 = std::array<RGBQuad, kPaletteSize>;

inline constexpr RGBQuad MakeRGBQuad(uint8_t red, uint8_t green, uint8_t blue) {
  return RGBQuad{blue, green, red, 0};
}

}  // namespace lumetrix::gif
