#pragma once
// A grey slice seen through a table: written as an 8-bit indexed BMP whose colour table is the
// Lut, or coloured straight into memory the way loading that bitmap in colour would give it.
//
// Rows are padded to a multiple of 4 pixels with the value 32, and the declared width includes
// the padding, so the padding shows as a strip of entry 32's colour at the right edge. The
// in-memory colouring keeps that strip, so textures look the same either way.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "palettes/lut.h"

namespace lumetrix::palettes {

inline constexpr uint8_t kLutBitmapPadValue = 32;

// width rounded up to a multiple of 4 (64-bit, so the largest 32-bit width cannot overflow).
int64_t DeclaredWidth(int64_t width);

// The whole indexed BMP file for a slice of width x height grey values (row y at bytes
// y*width .. y*width+width-1). Throws PaletteError when the size is not positive, the buffer
// is too small or the file would exceed the 32-bit BMP limits.
std::vector<uint8_t> EncodeLutBitmap(int32_t width, int32_t height, std::span<const uint8_t> pixels,
                                     const Lut& table);

// Writes EncodeLutBitmap to path (through a temporary file and a rename).
void WriteLutBitmap(const std::filesystem::path& path, int32_t width, int32_t height,
                    std::span<const uint8_t> pixels, const Lut& table);

// A 24-bit colour image, rows top first, unpadded, 3 bytes blue, green, red per pixel.
struct BgrImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> bgr;
};

// Colours a grey slice through the table: the result is DeclaredWidth(width) x height, each
// row the width looked-up source pixels followed by the padding pixels in entry 32's colour.
// out is reused (no reallocation when it already has the size). Zero sizes give an empty image;
// negative sizes or a too small buffer throw PaletteError.
void ColourSlice(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Lut& table,
                 BgrImage& out);
BgrImage ColourSlice(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Lut& table);

}  // namespace lumetrix::palettes
