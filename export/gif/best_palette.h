#pragma once
// The "best quality" colour reduction: one palette made by median cut from the colours of all
// frames of a movie (refined by a few rounds of k-means), every pixel mapped to its exactly
// nearest entry, without dithering, with 4 x 4 ordered dithering or with Floyd–Steinberg error
// diffusion; a frame of at most 256 colours keeps exactly its own colours in a palette of its own.

#include <cstdint>
#include <vector>

#include "export/gif/dib.h"
#include "export/gif/dither8bpp.h"
#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

class BestPalette {
 public:
  BestPalette();
  // Counts the colours of a 32-bit frame (first pass over the movie).
  void Count(const cDIB& frame);
  // Makes the common palette from everything counted (at most 256 entries).
  void Build();
  const std::vector<RGBQuad>& Entries() const { return entries_; }

  // Maps a 32-bit frame into an 8-bit one carrying the palette it uses (its own when it has at
  // most 256 colours, else the common one): `own` tells which. `ditherMode` is one of
  // mDither8bpp's (an own palette needs none). False when `to` cannot be made.
  bool Map(const cDIB& frame, cDIB& to, std::vector<RGBQuad>& used, bool& own,
           int ditherMode = mDither8bpp::kNoDither);

 private:
  uint8_t Nearest(uint32_t rgb);

  std::vector<uint32_t> counts_;   // per 24-bit colour (0xRRGGBB)
  std::vector<RGBQuad> entries_;
  std::vector<int16_t> nearest_;   // per 24-bit colour: common palette index, -1 not yet known
};

}  // namespace lumetrix::gif
