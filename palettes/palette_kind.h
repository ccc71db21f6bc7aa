#pragma once
// The nine kinds of table, and which kind a Palette menu caption stands for.

#include <array>
#include <cstdint>
#include <string_view>

namespace lumetrix::palettes {

enum class PaletteKind : int32_t {
  Grey = 0,
  PGrey = 1,  // grey with the extremes marked green (low) and red (high)
  Red = 2,
  Green = 3,
  Blue = 4,
  Yellow = 5,
  FalseColor = 6,
  PaletteFile = 7,
  NGrey = 8,  // inverted grey
};

// The built-in tables in menu order (positions 0..7).
inline constexpr std::array<std::string_view, 8> kBuiltInCaptions = {
    "Grey", "NGrey", "Red", "Green", "Blue", "Yellow", "FalseColor", "PGrey"};

// Exact, case-sensitive: "red" is a palette file, "Red" the built-in ramp.
PaletteKind KindOfCaption(std::string_view caption);

}  // namespace lumetrix::palettes
