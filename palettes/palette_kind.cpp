#include "palettes/palette_kind.h"

namespace lumetrix::palettes {

PaletteKind KindOfCaption(std::string_view caption) {
  if (caption == "Grey") return PaletteKind::Grey;
  if (caption == "PGrey") return PaletteKind::PGrey;
  if (caption == "Red") return PaletteKind::Red;
  if (caption == "Green") return PaletteKind::Green;
  if (caption == "Blue") return PaletteKind::Blue;
  if (caption == "Yellow") return PaletteKind::Yellow;
  if (caption == "FalseColor") return PaletteKind::FalseColor;
  if (caption == "NGrey") return PaletteKind::NGrey;
  return PaletteKind::PaletteFile;
}

}  // namespace lumetrix::palettes
