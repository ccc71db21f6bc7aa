#pragma once
// The tables behind the Palette menu: formulas for the built-in kinds, a palette file for
// PaletteKind::PaletteFile.

#include <filesystem>

#include "palettes/lut.h"
#include "palettes/palette_kind.h"

namespace lumetrix::palettes {

// palettePath is used for PaletteKind::PaletteFile only. A missing, unreadable or unsigned
// palette file gives a table of byte 32 throughout (every colour 32, 32, 32). Never throws.
Lut BuildLut(PaletteKind kind, const std::filesystem::path& palettePath = {});

// Table contents shared by the tests and the shipped-palette generator.
Lut BuildFalseColorLut();

}  // namespace lumetrix::palettes
