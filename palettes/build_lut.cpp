#include "palettes/build_lut.h"

#include <cstddef>

#include "palettes/pal_file.h"
#include "core/rounding.h"

namespace lumetrix::palettes {
namespace {

uint8_t Byte(double v) {
  const double r = RoundHalfEven(v);
  if (r <= 0) return 0;
  if (r >= 255) return 255;
  return static_cast<uint8_t>(r);
}

Lut Ramp(double red, double green, double blue, bool inverted) {
  Lut lut;
  for (std::size_t c = 0; c < Lut::kEntries; ++c) {
    const double v = inverted ? 255.0 - static_cast<double>(c) : static_cast<double>(c);
    lut.Set(c, Byte(red * v), Byte(green * v), Byte(blue * v));
  }
  return lut;
}

Lut MarkedGrey() {
  // Under-exposed pixels show green, saturated ones red, so the user can set up the microscope.
  constexpr std::size_t kLow = 1, kHigh = 244;
  Lut lut = Ramp(1, 1, 1, false);
  for (std::size_t c = 0; c <= kLow; ++c) lut.Set(c, 0, 255, 0);
  for (std::size_t c = kHigh; c < Lut::kEntries; ++c) lut.Set(c, 255, 0, 0);
  return lut;
}

Lut FromPaletteFile(const std::filesystem::path& path) {
  if (auto lut = ReadPalFile(path)) return *lut;
  return Lut::Filled(32);
}

}  // namespace

Lut BuildFalseColorLut() {
  struct Run {
    int first, last;
    // value = base + slope * j for red, green, blue
    double r0, rs, g0, gs, b0, bs;
  };
  static constexpr Run kRuns[] = {
      {0, 27, 0, 4.75, 0, 0, 0, 4.75},       {28, 55, 128, -4.7, 0, 0, 128, 4.7},
      {56, 84, 0, 0, 0, 4.53, 255, -4.53},   {85, 112, 0, 0, 128, 4.7, 128, -4.7},
      {113, 140, 0, 4.7, 255, 0, 0, 0},      {141, 169, 128, 4.53, 255, 0, 0, 0},
      {170, 197, 255, 0, 255, -4.7, 0, 0},   {198, 225, 255, 0, 128, -4.7, 0, 0},
      {226, 254, 255, 0, 0, 9.06, 0, 9.06},
  };
  Lut lut;
  for (const Run& run : kRuns) {
    for (int e = run.first; e <= run.last; ++e) {
      const double j = e - run.first;
      lut.Set(static_cast<std::size_t>(e), Byte(run.r0 + run.rs * j), Byte(run.g0 + run.gs * j),
              Byte(run.b0 + run.bs * j));
    }
  }
  lut.Set(255, 255, 255, 255);
  return lut;
}

Lut BuildLut(PaletteKind kind, const std::filesystem::path& palettePath) {
  switch (kind) {
    case PaletteKind::Grey: return Ramp(1, 1, 1, false);
    case PaletteKind::NGrey: return Ramp(1, 1, 1, true);
    case PaletteKind::Red: return Ramp(1, 0, 0, false);
    case PaletteKind::Green: return Ramp(0, 1, 0, false);
    case PaletteKind::Blue: return Ramp(0, 0, 1, false);
    case PaletteKind::Yellow: return Ramp(1, 1, 0, false);
    case PaletteKind::PGrey: return MarkedGrey();
    case PaletteKind::FalseColor: return BuildFalseColorLut();
    case PaletteKind::PaletteFile: return FromPaletteFile(palettePath);
  }
  return Lut::Filled(32);
}

}  // namespace lumetrix::palettes
