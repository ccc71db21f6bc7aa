#pragma once
// How the frames of a movie become 8-bit GIF frames: the best-quality reduction (one palette
// from all frames, exact nearest colours) or one of the dither module's palettes made from the
// first frame; and the dithering, for either.

#include "export/gif/dither8bpp.h"

namespace lumetrix::gif {

struct ReductionOptions {
  bool Best = true;
  int PaletteMode = mDither8bpp::kOptimal;  // when not Best
  int DitherMode = mDither8bpp::kNoDither;
};

}  // namespace lumetrix::gif
