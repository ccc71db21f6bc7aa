#pragma once
// The opened stack in memory: 8-bit voxels with the page index varying fastest.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/sample_buffer.h"

namespace lumetrix {

struct VolumeData {
  std::string FilePath;
  int32_t Width = 0;   // pixels per row of a page
  int32_t Height = 0;  // rows per page
  int32_t Depth = 0;   // pages
  bool IsGrey = false;
  // grey: (p, x, y) at p + D*(x + W*y); colour: (p, x, y, c) at p + D*(x + W*(y + H*c)),
  // c = 0 red, 1 green, 2 blue.
  SampleBuffer Samples;

  int Channels() const { return IsGrey ? 1 : 3; }
  size_t Index(int32_t p, int32_t x, int32_t y, int c = 0) const {
    return static_cast<size_t>(p) +
           static_cast<size_t>(Depth) *
               (static_cast<size_t>(x) +
                static_cast<size_t>(Width) * (static_cast<size_t>(y) + static_cast<size_t>(Height) * c));
  }
  uint8_t At(int32_t p, int32_t x, int32_t y, int c = 0) const { return Samples[Index(p, x, y, c)]; }
  bool Empty() const { return Samples.empty(); }
};

}  // namespace lumetrix
