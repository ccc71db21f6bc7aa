#pragma once
// The in-memory form of the current image shared by the codecs.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumetrix::imaging::detail {

// Largest decoded page or image buffer accepted from a file or a caller (2 GiB). Anything
// larger is refused before allocation: it would not fit a 32-bit index anyway.
inline constexpr uint64_t kMaxImageBytes = uint64_t{1} << 31;

enum class PixelKind { kEmpty, kGrey, kPalette, kColour };

struct Image {
  PixelKind kind = PixelKind::kEmpty;
  int32_t width = 0;
  int32_t height = 0;
  // What BitDepth() reports: 8 grey or palette, 16 deep grey, 24 colour, 48 deep colour.
  int bit_depth = 0;
  // Grey and palette: one byte per pixel; colour: blue, green, red. Rows top first, unpadded.
  std::vector<uint8_t> pixels;
  // Palette images only: red, green, blue of each index.
  std::array<uint8_t, 256 * 3> palette{};
  // How the pixels came to be, for ImageInfo ("16-bit grey, LZW").
  std::string source;

  bool empty() const { return kind == PixelKind::kEmpty; }
  int bytes_per_pixel() const { return kind == PixelKind::kColour ? 3 : 1; }
  void clear() {
    kind = PixelKind::kEmpty;
    width = height = 0;
    bit_depth = 0;
    pixels.clear();
    source.clear();
  }
};

// Throws ImageError unless width x height x channels is a sane, positive buffer size.
void CheckImageSize(int64_t width, int64_t height, int channels, const std::string& what);

// The palette image becomes 24-bit colour; grey becomes colour with equal channels.
void ToColour(Image& image);
// `image` itself, or for a palette image its colour form, kept in `scratch`: writers that take grey
// and colour pages but no palettes.
const Image& WithoutPalette(const Image& image, Image& scratch);
// Colour and palette images become 8-bit grey by luminance (equal channels stay exact).
void ToGrey(Image& image);
// If every palette entry is grey, the image becomes grey through the palette's levels.
void GreyPaletteToGrey(Image& image, int entries);

}  // namespace lumetrix::imaging::detail
