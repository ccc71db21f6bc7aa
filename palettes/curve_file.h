#pragma once
// Curve files (.pl2) of the palette maker: seven CRLF-terminated lines of comma-separated
// decimal integers: the three point counts, then PointX of red, green, blue (nine each), then
// PointY of red, green, blue.

#include <filesystem>
#include <string>
#include <string_view>

#include "palettes/curves.h"

namespace lumetrix::palettes {

std::string EncodeCurveFile(const CurveSet& curves);

// Reads the 57 integers, separated by commas or line ends (spaces around them allowed).
// Throws PaletteError when numbers are missing or malformed, a point count lies outside 2..9 or
// a coordinate outside 0..255. Counts 2..9 are returned as stored (the editor maps 4, 6, 7, 8
// to the nearest supported count).
CurveSet DecodeCurveFile(std::string_view text);

// Throws PaletteError (missing, unreadable, over 64 KiB, or as DecodeCurveFile).
CurveSet ReadCurveFile(const std::filesystem::path& path);
// Through a temporary file and a rename. Throws PaletteError.
void WriteCurveFile(const std::filesystem::path& path, const CurveSet& curves);

}  // namespace lumetrix::palettes
