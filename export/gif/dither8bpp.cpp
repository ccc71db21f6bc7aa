#include "export/gif/dither8bpp.h"

#include "export/gif/dither_tables.h"
#include "export/gif/pixel_mapping.h"

namespace lumetrix::gif {

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
    const int offset = OrderedOffset(t, x, y);
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
