#pragma once
// The pixel loops of the colour reduction, shared by the dither module and the best-quality
// reduction: each maps a 32-bit frame to palette indices through `indexOf(r, g, b, x, y)`,
// plainly (also for ordered dithering, whose offset the caller adds) or with Floyd–Steinberg
// error diffusion.

#include <cstdint>
#include <cstdlib>

#include "export/gif/dib.h"
#include "export/gif/dither_tables.h"
#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

// The 4 x 4 ordered-dither offset of pixel (x, y) for cells 17 levels wide: -8 … 7.
inline int OrderedOffset(const DitherTables& t, int32_t x, int32_t y) { return 8 - t.bayer[y & 3][x & 3]; }

inline uint8_t AddClamped(uint8_t value, int delta) {
  const int v = value + delta;
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Maps every pixel with `indexOf`; without diffusion the source is read as is.
template <typename IndexOf>
void MapPlain(const cDIB& source, cDIB& destination, IndexOf indexOf) {
  const int32_t width = source.Width();
  for (int32_t y = 0; y < source.Height(); ++y) {
    const uint8_t* in = source.Row(y);
    uint8_t* out = destination.Row(y);
    for (int32_t x = 0; x < width; ++x, in += 4) out[x] = indexOf(in[2], in[1], in[0], x, y);
  }
}

// Floyd–Steinberg on `work` (a copy of the source that takes the diffused errors); `palette`
// holds the colours of the indices `indexOf` gives.
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

}  // namespace lumetrix::gif
