#include "imaging/image_data.h"

#include "imaging/image_box.h"

namespace lumetrix::imaging::detail {

void CheckImageSize(int64_t width, int64_t height, int channels, const std::string& what) {
  if (width <= 0 || height <= 0) {
    throw ImageError(what + " has no pixels (" + std::to_string(width) + " x " +
                     std::to_string(height) + ")");
  }
  if (width > INT32_MAX || height > INT32_MAX ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * static_cast<uint64_t>(channels) >
          kMaxImageBytes) {
    throw ImageError(what + " is too large (" + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels; at most 2 GB per image)");
  }
}

void ToColour(Image& image) {
  if (image.kind == PixelKind::kColour || image.empty()) return;
  const size_t n = image.pixels.size();
  std::vector<uint8_t> out(n * 3);
  if (image.kind == PixelKind::kGrey) {
    for (size_t i = 0; i < n; ++i) out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = image.pixels[i];
  } else {
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* rgb = &image.palette[3 * size_t{image.pixels[i]}];
      out[3 * i] = rgb[2];
      out[3 * i + 1] = rgb[1];
      out[3 * i + 2] = rgb[0];
    }
  }
  image.pixels.swap(out);
  image.kind = PixelKind::kColour;
  image.bit_depth = 24;
}

namespace {
// Rec. 601 luma in 8-bit fixed point; the weights add up to 256, so grey stays exact.
inline uint8_t Luma(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
}
}  // namespace

void ToGrey(Image& image) {
  if (image.empty()) return;
  if (image.kind == PixelKind::kColour) {
    const size_t n = image.pixels.size() / 3;
    std::vector<uint8_t> out(n);
    const uint8_t* p = image.pixels.data();
    for (size_t i = 0; i < n; ++i, p += 3) out[i] = Luma(p[2], p[1], p[0]);
    image.pixels.swap(out);
  } else if (image.kind == PixelKind::kPalette) {
    std::array<uint8_t, 256> level{};
    for (int i = 0; i < 256; ++i) {
      level[i] = Luma(image.palette[3 * i], image.palette[3 * i + 1], image.palette[3 * i + 2]);
    }
    for (auto& v : image.pixels) v = level[v];
  }
  image.kind = PixelKind::kGrey;
  image.bit_depth = 8;
}

void GreyPaletteToGrey(Image& image, int entries) {
  if (image.kind != PixelKind::kPalette) return;
  for (int i = 0; i < entries; ++i) {
    const uint8_t* rgb = &image.palette[3 * i];
    if (rgb[0] != rgb[1] || rgb[1] != rgb[2]) return;
  }
  std::array<uint8_t, 256> level{};
  for (int i = 0; i < 256; ++i) level[i] = image.palette[3 * i];
  for (auto& v : image.pixels) v = level[v];
  image.kind = PixelKind::kGrey;
  image.bit_depth = 8;
}

const Image& WithoutPalette(const Image& image, Image& scratch) {
  if (image.kind != PixelKind::kPalette) return image;
  scratch = image;
  ToColour(scratch);
  return scratch;
}

}  // namespace lumetrix::imaging::detail
