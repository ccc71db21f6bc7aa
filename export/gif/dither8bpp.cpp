#include "export/gif/dither8bpp.h"

#include <algorithm>
#include <cstdlib>

#include "export/gif/dither_tables.h"

namespace lumetrix::gif {

namespace {

inline uint8_t AddClamped(uint8_t value, int delta) {
  const int v = value + delta;
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Maps every pixel with `indexOf(r, g, b, x, y)`; without diffusion the source is read as is.
template <typename IndexOf>
void MapPlain(const cDIB& source, cDIB& destination, IndexOf indexOf) {
  const int32_t width = source.Width();
  for (int32_t y = 0; y < source.Height(); ++y) {
    const uint8_t* in = source.Row(y);
    uint8_t* out = destination.Row(y);
    for (int32_t x = 0; x < width; ++x, in += 4) out[x] = indexOf(in[2], in[1], in[0], x, y);
  }
}

// Floyd–Steinberg on `work` (a copy of the source that takes the diffused errors).
template <typename IndexOf>
void MapDiffused(cDIB& work, cDIB& destination, const Palette256& palette, IndexOf indexOf) {
  const DitherTables& t = DitherTables::Get();
  const int32_t width = work.Width();
  const int32_t height = work.Height();
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = work.Row(y);
    uint8_t* below = y + 1 < height ? work.Row(y + 1) : nullptr;
    uint8_t* out = destination.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = row + static_cast<size_t>(x) * 4;
      const uint8_t index = indexOf(p[2], p[1], p[0], x, y);
      out[x] = index;
      const RGBQuad& entry = palette[index];
      const int eb = p[0] - entry.blue;
      const int eg = p[1] - entry.green;
      const int er = p[2] - entry.red;
      if (std::abs(er) + std::abs(eg) + std::abs(eb) <= 3) continue;
      const bool hasRight = x + 1 < width;
      auto spread = [&](uint8_t* q, int e7b, int e7g, int e7r) {
        q[0] = AddClamped(q[0], e7b);
        q[1] = AddClamped(q[1], e7g);
        q[2] = AddClamped(q[2], e7r);
      };
      if (hasRight) spread(p + 4, t.E7(eb), t.E7(eg), t.E7(er));
      if (below != nullptr) {
        uint8_t* q = below + static_cast<size_t>(x) * 4;
        spread(q, t.E5(eb), t.E5(eg), t.E5(er));
        if (hasRight) spread(q + 4, t.E1(eb), t.E1(eg), t.E1(er));
        if (x > 0) spread(q - 4, t.E3(eb), t.E3(eg), t.E3(er));
      }
    }
  }
}

}  // namespace

mDither8bpp::mDither8bpp() { BuildTables(); }

void mDither8bpp::BuildTables() { (void)DitherTables::Get(); }

bool mDither8bpp::SetPaletteMode(int mode) {
  if (mode < kWebSafe || mode > kGreyScale) return false;
  paletteMode_ = mode;
  return true;
}

bool mDither8bpp::SetDitherMode(int mode) {
  if (mode < kNoDither || mode > kFloydSteinberg) return false;
  ditherMode_ = mode;
  return true;
}

void mDither8bpp::BuildInverseMap(const cPal8bpp& palette) {
  for (int b = 0; b < 16; ++b)
    for (int g = 0; g < 16; ++g)
      for (int r = 0; r < 16; ++r)
        inverseMap_[static_cast<size_t>(r + 16 * g + 256 * b)] =
            palette.ClosestIndex(r * 17, g * 17, b * 17);
}

bool mDither8bpp::Reduce(const cDIB& source, cDIB& destination, cPal8bpp& palette,
                         bool notFirstFrame) {
  if (source.BitsPerPixel() != 32 || source.IsEmpty()) return false;
  if (&source == &destination) {
    const cDIB copy = source;
    return Reduce(copy, destination, palette, notFirstFrame);
  }
  if (!notFirstFrame) {
    switch (paletteMode_) {
      case kWebSafe:
        palette.CreateHalftone(4);
        break;
      case kOptimal:
        palette.CreateOptimal(source, 256, 6, 1.0, 1.0, 1.0);
        BuildInverseMap(palette);
        break;
      default:
        palette.CreateGreyScale(2);
        BuildInverseMap(palette);
        break;
    }
  }
  paletteCopy_ = palette.PaletteEntries();
  if (!destination.Create(source.Width(), source.Height(), 8)) return false;
  destination.SetPalette(paletteCopy_.data(), kPaletteSize);
  MapPixels(source, destination);
  return true;
}

void mDither8bpp::MapPixels(const cDIB& source, cDIB& destination) {
  const DitherTables& t = DitherTables::Get();
  const uint8_t* map = inverseMap_.data();
  auto cube = [&t](int r, int g, int b, int32_t, int32_t) {
    return t.CubeIndex(t.Q6(r), t.Q6(g), t.Q6(b));
  };
  auto cubeOrdered = [&t](int r, int g, int b, int32_t x, int32_t y) {
    const int offset = 26 - t.t51[y & 3][x & 3];
    return t.CubeIndex(t.Q6(r + offset), t.Q6(g + offset), t.Q6(b + offset));
  };
  auto cell = [&t, map](int r, int g, int b, int32_t, int32_t) {
    return map[t.Q16(r) + 16 * t.Q16(g) + 256 * t.Q16(b)];
  };
  auto cellOrdered = [&t, map](int r, int g, int b, int32_t x, int32_t y) {
    const int offset = 8 - t.bayer[y & 3][x & 3];
    return map[t.Q16(r + offset) + 16 * t.Q16(g + offset) + 256 * t.Q16(b + offset)];
  };
  const bool web = paletteMode_ == kWebSafe;
  switch (ditherMode_) {
    case kNoDither:
      if (web) MapPlain(source, destination, cube);
      else MapPlain(source, destination, cell);
      break;
    case kOrdered:
      if (web) MapPlain(source, destination, cubeOrdered);
      else MapPlain(source, destination, cellOrdered);
      break;
    default: {
      cDIB work = source;
      if (web) MapDiffused(work, destination, paletteCopy_, cube);
      else MapDiffused(work, destination, paletteCopy_, cell);
      break;
    }
  }
}

}  // namespace lumetrix::gif
