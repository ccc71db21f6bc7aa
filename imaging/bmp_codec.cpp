#include "imaging/bmp_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "imaging/file_probe.h"
#include "imaging/image_box.h"

namespace lumetrix::imaging::detail {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// One colour channel described by a bit mask of a 16- or 32-bit pixel.
struct Channel {
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t mask) {
    if (mask == 0) return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    max = mask;  // contiguous masks; stray bits above are ignored by the scaling
    if (max > 0xFFFF) max = 0xFFFF;
  }
  uint8_t Of(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint32_t v = std::min((pixel >> shift) & max, max);
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
};

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// Run-length encoded palette pixels; rows bottom first as stored. Writes outside the image are
// dropped, a missing end is taken as the end of the data.
void DecodeRle(const uint8_t* p, const uint8_t* end, bool four, uint32_t width, uint32_t height,
               std::vector<uint8_t>& rows) {
  uint64_t x = 0, y = 0;
  const auto put = [&](uint8_t v) {
    if (x < width && y < height) rows[y * width + x] = v;
    ++x;
  };
  while (p + 2 <= end && y < height) {
    const uint8_t count = p[0];
    const uint8_t value = p[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (p + 2 > end) return;
      x += p[0];
      y += p[1];
      p += 2;
    } else {
      const size_t bytes = four ? (value + 1u) / 2 : value;
      const size_t padded = (bytes + 1) & ~size_t{1};
      if (static_cast<size_t>(end - p) < bytes) return;
      for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4)) : p[i]);
      p += std::min(padded, static_cast<size_t>(end - p));
    }
  }
}

}  // namespace

void DecodeBmp(const uint8_t* data, size_t size, const std::string& name, Image& out) {
  const auto bad = [&](const std::string& why) { return ImageError(name + " " + why); };
  if (size < 26 || data[0] != 'B' || data[1] != 'M') throw bad("is not a BMP file or is truncated");
  const uint32_t pixel_offset = U32(data + 10);
  const uint32_t header_size = U32(data + 14);
  int64_t width = 0, height = 0;
  uint32_t bits = 0, compression = kRgb, colours_used = 0;
  size_t palette_at = 14 + size_t{header_size};
  int entry_size = 4;
  uint32_t masks[3] = {0, 0, 0};
  bool have_masks = false;
  if (header_size == 12) {
    width = U16(data + 18);
    height = U16(data + 20);
    bits = U16(data + 24);
    entry_size = 3;
  } else if (header_size >= 40 && header_size <= 1024) {
    if (size < 14 + size_t{header_size}) throw bad("is truncated");
    width = static_cast<int32_t>(U32(data + 18));
    height = static_cast<int32_t>(U32(data + 22));
    bits = U16(data + 28);
    compression = U32(data + 30);
    colours_used = U32(data + 46);
    if (compression == kBitFields || compression == kAlphaBitFields) {
      const uint8_t* m = data + 54;
      if (size < 66) throw bad("is truncated");
      if (header_size == 40) palette_at += compression == kAlphaBitFields ? 16 : 12;
      masks[0] = U32(m);
      masks[1] = U32(m + 4);
      masks[2] = U32(m + 8);
      have_masks = true;
    }
  } else {
    throw bad("has a bitmap header of an unknown kind (" + std::to_string(header_size) + " bytes)");
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  CheckImageSize(width, height, 3, name);
  const bool palette = bits == 1 || bits == 4 || bits == 8;
  if (!palette && bits != 16 && bits != 24 && bits != 32) {
    throw bad("has " + std::to_string(bits) + " bits per pixel, which is not supported");
  }
  const bool rle = compression == kRle8 || compression == kRle4;
  if (!(compression == kRgb || (compression == kRle8 && bits == 8) || (compression == kRle4 && bits == 4) ||
        ((compression == kBitFields || compression == kAlphaBitFields) && (bits == 16 || bits == 32)))) {
    throw bad("uses a compression that is not supported (" + std::to_string(compression) + ")");
  }
  if (pixel_offset >= size) throw bad("is truncated (no pixel data)");

  const auto w = static_cast<uint32_t>(width);
  const auto h = static_cast<uint32_t>(height);
  out.width = static_cast<int32_t>(w);
  out.height = static_cast<int32_t>(h);
  const uint8_t* pixels = data + pixel_offset;
  const uint64_t available = size - pixel_offset;

  if (palette) {
    const uint32_t max_entries = 1u << bits;
    uint32_t entries = colours_used == 0 ? max_entries : std::min(colours_used, max_entries);
    if (palette_at > size) throw bad("is truncated");
    const uint64_t room = (std::min<uint64_t>(pixel_offset, size) > palette_at)
                              ? (std::min<uint64_t>(pixel_offset, size) - palette_at) / entry_size
                              : 0;
    entries = static_cast<uint32_t>(std::min<uint64_t>(entries, room));
    out.palette.fill(0);
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* e = data + palette_at + i * entry_size;
      out.palette[3 * i] = e[2];
      out.palette[3 * i + 1] = e[1];
      out.palette[3 * i + 2] = e[0];
    }
    // Checked before allocating: plain rows must all be present, and run-length data, which may
    // end the bitmap early, may not declare more than 64 times the file once over 64 MB.
    const uint64_t stride = (uint64_t{w} * bits + 31) / 32 * 4;
    if (!rle && stride * h > available) throw bad("is truncated");
    if (rle && uint64_t{w} * h > (uint64_t{64} << 20) && uint64_t{w} * h / 64 > size) {
      throw bad("declares " + std::to_string(w) + " x " + std::to_string(h) +
                " pixels in too few bytes; no real file is compressed that far");
    }
    out.pixels.assign(static_cast<size_t>(w) * h, 0);
    if (rle) {
      std::vector<uint8_t> rows(static_cast<size_t>(w) * h, 0);
      DecodeRle(pixels, pixels + available, compression == kRle4, w, h, rows);
      for (uint32_t y = 0; y < h; ++y) {
        const uint32_t from = top_down ? y : h - 1 - y;
        std::memcpy(&out.pixels[size_t{y} * w], &rows[size_t{from} * w], w);
      }
    } else {
      for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = pixels + stride * (top_down ? y : h - 1 - y);
        uint8_t* dst = &out.pixels[size_t{y} * w];
        for (uint32_t x = 0; x < w; ++x) {
          const uint64_t bit = uint64_t{x} * bits;
          dst[x] = static_cast<uint8_t>((row[bit >> 3] >> (8 - bits - (bit & 7))) & (max_entries - 1));
        }
      }
    }
    out.kind = PixelKind::kPalette;
    out.bit_depth = 8;
    GreyPaletteToGrey(out, static_cast<int>(max_entries));
    out.source = std::to_string(bits) + "-bit palette BMP" + (rle ? " (RLE)" : "");
    return;
  }

  const uint64_t stride = (uint64_t{w} * bits + 31) / 32 * 4;
  if (stride * h > available) throw bad("is truncated");
  if (!have_masks) {
    if (bits == 16) {
      masks[0] = 0x7C00;
      masks[1] = 0x03E0;
      masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000;
      masks[1] = 0xFF00;
      masks[2] = 0xFF;
    }
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  out.pixels.resize(size_t{w} * h * 3);
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = pixels + stride * (top_down ? y : h - 1 - y);
    uint8_t* dst = &out.pixels[size_t{y} * w * 3];
    if (bits == 24) {
      std::memcpy(dst, row, size_t{w} * 3);
      continue;
    }
    for (uint32_t x = 0; x < w; ++x, dst += 3) {
      const uint32_t v = bits == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
      dst[0] = blue.Of(v);
      dst[1] = green.Of(v);
      dst[2] = red.Of(v);
    }
  }
  out.kind = PixelKind::kColour;
  out.bit_depth = 24;
  out.source = std::to_string(bits) + "-bit colour BMP";
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t limit) {
  const std::string name = FileNameOf(path);
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) throw ImageError("cannot open " + path + ": " + std::strerror(errno));
  if (std::fseek(f.get(), 0, SEEK_END) != 0) throw ImageError("cannot read " + name);
  const long end = std::ftell(f.get());
  if (end < 0) throw ImageError("cannot read " + name);
  if (static_cast<uint64_t>(end) > limit) throw ImageError(name + " is too large to be read");
  std::rewind(f.get());
  std::vector<uint8_t> bytes(static_cast<size_t>(end));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
    throw ImageError("cannot read " + name + ": " + std::strerror(errno));
  }
  return bytes;
}

void ReadBmpFile(const std::string& path, Image& out) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxImageBytes + (uint64_t{1} << 20));
  DecodeBmp(bytes.data(), bytes.size(), FileNameOf(path), out);
}

std::vector<uint8_t> EncodeBmp24(const Image& image) {
  Image colour;
  const Image* src = &image;
  if (image.kind != PixelKind::kColour) {
    colour = image;
    ToColour(colour);
    src = &colour;
  }
  const uint32_t w = static_cast<uint32_t>(src->width);
  const uint32_t h = static_cast<uint32_t>(src->height);
  const uint64_t stride = (uint64_t{w} * 3 + 3) / 4 * 4;
  const uint64_t data = stride * h;
  if (data + 54 > UINT32_MAX) throw ImageError("the image is too large for a BMP file");
  std::vector<uint8_t> file(54 + data, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(54 + data));
  Put32(file, 10, 54);
  Put32(file, 14, 40);
  Put32(file, 18, w);
  Put32(file, 22, h);
  Put16(file, 26, 1);
  Put16(file, 28, 24);
  Put32(file, 34, static_cast<uint32_t>(data));
  Put32(file, 38, 2952);  // 75 dpi, as the program's frame files
  Put32(file, 42, 2952);
  for (uint32_t y = 0; y < h; ++y) {
    std::memcpy(&file[54 + stride * (h - 1 - y)], &src->pixels[size_t{y} * w * 3], size_t{w} * 3);
  }
  return file;
}

void WriteBmpFile(const std::string& path, const Image& image) {
  const std::vector<uint8_t> bytes = EncodeBmp24(image);
  WriteFileBytes(path, bytes);
}

}  // namespace lumetrix::imaging::detail
