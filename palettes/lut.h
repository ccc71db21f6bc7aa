#pragma once
// A colour lookup table: 256 entries of blue, green, red, reserved, exactly the colour table of
// an 8-bit BMP file. Entry n is the colour shown for grey value n.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lumetrix::palettes {

struct Lut {
  static constexpr std::size_t kEntries = 256;
  static constexpr std::size_t kBytes = 4 * kEntries;

  std::array<uint8_t, kBytes> bytes{};

  uint8_t Blue(std::size_t c) const { return bytes[4 * c]; }
  uint8_t Green(std::size_t c) const { return bytes[4 * c + 1]; }
  uint8_t Red(std::size_t c) const { return bytes[4 * c + 2]; }
  uint8_t Reserved(std::size_t c) const { return bytes[4 * c + 3]; }

  // Every table the program builds carries reserved byte 1.
  void Set(std::size_t c, uint8_t red, uint8_t green, uint8_t blue, uint8_t reserved = 1) {
    bytes[4 * c] = blue;
    bytes[4 * c + 1] = green;
    bytes[4 * c + 2] = red;
    bytes[4 * c + 3] = reserved;
  }

  static Lut Filled(uint8_t value) {
    Lut lut;
    lut.bytes.fill(value);
    return lut;
  }

  friend bool operator==(const Lut&, const Lut&) = default;
};

}  // namespace lumetrix::palettes
