#pragma once
// The multi-stop horizontal gradient of the gradient palette editor, and the table sampled
// from the drawn strip.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "palettes/colour.h"
#include "palettes/lut.h"

namespace lumetrix::palettes {

inline constexpr int32_t kSkipColour = -1;

// Widths of `bands` bands sharing span pixels: span / bands each, the last (span % bands) bands
// one pixel wider (span 401, 2 bands -> 200, 201). A negative span counts as 0.
std::vector<int32_t> BandWidths(int32_t span, int32_t bands);

// Draws the gradient through the colours that are not kSkipColour (values 0x00BBGGRR) into
// the rectangle left..right x top..bottom (right and bottom exclusive, clipped to the image):
// one band per consecutive pair, each a horizontal linear gradient per channel from the first
// colour at its left edge towards the second at its right edge. False, and nothing drawn, when
// fewer than two colours remain.
bool DrawMultiGradient(RgbImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       std::span<const int32_t> colours);

// Entry i = the strip's pixel at x = W*i/256, y = H/2, reserved byte 1. An empty strip gives
// black entries.
Lut SampleStripLut(const RgbImage& strip);

// SampleStripLut written as a palette file. Throws PaletteError.
void ExportPal(const RgbImage& strip, const std::filesystem::path& path);

}  // namespace lumetrix::palettes
