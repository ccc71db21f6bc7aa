#pragma once
// Reduction of 32-bit frames to 8-bit indexed frames: builds the palette for the first frame of
// an animation and maps every pixel to it, without dithering, with 4 x 4 ordered dithering or
// with Floyd–Steinberg error diffusion.

#include <array>
#include <cstdint>

#include "export/gif/dib.h"
#include "export/gif/pal8bpp.h"

namespace lumetrix::gif {

class mDither8bpp {
 public:
  enum PaletteMode : int { kWebSafe = 0, kOptimal = 1, kGreyScale = 2 };
  enum DitherMode : int { kNoDither = 0, kOrdered = 1, kFloydSteinberg = 2 };

  // Builds the tables (BuildTables), palette mode optimal, no dithering.
  mDither8bpp();

  // The tables are shared and built on first use; kept for the converter's start-up order.
  void BuildTables();
  // False (mode unchanged) for modes outside 0 … 2.
  bool SetPaletteMode(int mode);
  bool SetDitherMode(int mode);
  int PaletteMode() const { return paletteMode_; }
  int DitherMode() const { return ditherMode_; }

  // Reduces a 32-bit Source into Destination, which becomes an 8-bit bitmap of the same size
  // carrying the palette. Unless notFirstFrame the palette (and for the optimal and grey modes
  // the inverse colour map) is made from this frame first; later frames reuse both. Rows are
  // mapped in memory order. The Source is not changed. False when Source is not a non-empty
  // 32-bit bitmap or Destination cannot be made.
  bool Reduce(const cDIB& source, cDIB& destination, cPal8bpp& palette, bool notFirstFrame);

  // The inverse colour map: palette index of cell (r4, g4, b4) at r4 + 16 g4 + 256 b4.
  const std::array<uint8_t, 4096>& InverseMap() const { return inverseMap_; }
  // Fills the inverse map from a palette's nearest-entry search.
  void BuildInverseMap(const cPal8bpp& palette);

 private:
  void MapPixels(const cDIB& source, cDIB& destination);

  int paletteMode_ = kOptimal;
  int ditherMode_ = kNoDither;
  Palette256 paletteCopy_{};
  std::array<uint8_t, 4096> inverseMap_{};
};

}  // namespace lumetrix::gif
