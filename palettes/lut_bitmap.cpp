#include "palettes/lut_bitmap.h"

#include <cstring>
#include <limits>
#include <string>

#include "core/staged_file.h"
#include "palettes/palette_error.h"

namespace lumetrix::palettes {
namespace {

constexpr uint32_t kPixelOffset = 14 + 40 + Lut::kBytes;  // 1078

void Put16(std::vector<uint8_t>& out, std::size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

void CheckSource(int64_t width, int64_t height, std::size_t available) {
  if (width < 0 || height < 0)
    throw PaletteError("Invalid slice size " + std::to_string(width) + " x " + std::to_string(height));
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > available)
    throw PaletteError("The slice holds fewer pixels than " + std::to_string(width) + " x " +
                       std::to_string(height));
}

}  // namespace

int64_t DeclaredWidth(int64_t width) { return (width + 3) / 4 * 4; }

std::vector<uint8_t> EncodeLutBitmap(int32_t width, int32_t height, std::span<const uint8_t> pixels,
                                     const Lut& table) {
  CheckSource(width, height, pixels.size());
  if (width == 0 || height == 0)
    throw PaletteError("Cannot write an empty slice (" + std::to_string(width) + " x " +
                       std::to_string(height) + ")");
  const int64_t declared = DeclaredWidth(width);
  const uint64_t imageSize = static_cast<uint64_t>(declared) * static_cast<uint64_t>(height);
  if (declared > std::numeric_limits<int32_t>::max() ||
      imageSize > std::numeric_limits<uint32_t>::max() - kPixelOffset)
    throw PaletteError("The slice is too large for a bitmap file");

  std::vector<uint8_t> out(kPixelOffset + static_cast<std::size_t>(imageSize), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, kPixelOffset + static_cast<uint32_t>(imageSize));
  Put32(out, 10, kPixelOffset);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(declared));
  Put32(out, 22, static_cast<uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 8);
  Put32(out, 34, static_cast<uint32_t>(imageSize));
  Put32(out, 38, 4000);
  Put32(out, 42, 4000);
  std::memcpy(out.data() + 54, table.bytes.data(), Lut::kBytes);

  const auto w = static_cast<std::size_t>(width);
  const auto d = static_cast<std::size_t>(declared);
  uint8_t* row = out.data() + kPixelOffset;
  for (int64_t y = height - 1; y >= 0; --y, row += d) {
    std::memcpy(row, pixels.data() + static_cast<std::size_t>(y) * w, w);
    std::memset(row + w, kLutBitmapPadValue, d - w);
  }
  return out;
}

void WriteLutBitmap(const std::filesystem::path& path, int32_t width, int32_t height,
                    std::span<const uint8_t> pixels, const Lut& table) {
  ThrowIfFailed(WriteFileStaged(path.string(), EncodeLutBitmap(width, height, pixels, table)));
}

void ColourSlice(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Lut& table,
                 BgrImage& out) {
  CheckSource(width, height, pixels.size());
  const int64_t declared = DeclaredWidth(width);
  const uint64_t total = static_cast<uint64_t>(declared) * static_cast<uint64_t>(height) * 3;
  if (declared > std::numeric_limits<int32_t>::max() || total > std::numeric_limits<std::size_t>::max() / 2)
    throw PaletteError("The slice is too large to colour");

  // Three bytes per entry, so the inner loop is one table read per pixel.
  uint8_t bgr[Lut::kEntries][3];
  for (std::size_t c = 0; c < Lut::kEntries; ++c) {
    bgr[c][0] = table.Blue(c);
    bgr[c][1] = table.Green(c);
    bgr[c][2] = table.Red(c);
  }
  out.width = static_cast<int32_t>(declared);
  out.height = height;
  out.bgr.resize(static_cast<std::size_t>(total));

  const auto w = static_cast<std::size_t>(width);
  const auto pad = static_cast<std::size_t>(declared) - w;
  const uint8_t* pb = bgr[kLutBitmapPadValue];
  uint8_t* dst = out.bgr.data();
  const uint8_t* src = pixels.data();
  for (int32_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < w; ++x, dst += 3) {
      const uint8_t* c = bgr[src[x]];
      dst[0] = c[0];
      dst[1] = c[1];
      dst[2] = c[2];
    }
    for (std::size_t x = 0; x < pad; ++x, dst += 3) {
      dst[0] = pb[0];
      dst[1] = pb[1];
      dst[2] = pb[2];
    }
    src += w;
  }
}

BgrImage ColourSlice(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Lut& table) {
  BgrImage out;
  ColourSlice(pixels, width, height, table, out);
  return out;
}

}  // namespace lumetrix::palettes
