#pragma once
// The palettes shipped in data/palettes, computed from formulas and control points. The
// generator writes them; a test checks that the shipped files still match.

#include <string>
#include <vector>

#include "palettes/lut.h"

namespace lumetrix::palettes {

struct ShippedPalette {
  std::string fileName;  // "Fire.pal"
  Lut table;
};

std::vector<ShippedPalette> ShippedPalettes();

}  // namespace lumetrix::palettes
