#pragma once
// The share of a frame's pixels that are not black (the clear colour): how much of the frame a
// renderer filled.

#include <cstdint>

#include "viewer/frame_bmp.h"

namespace lumetrix::bench {

inline double LitShare(const CapturedFrame& frame) {
  const size_t stride = FrameRowStride(frame.Width);
  int64_t lit = 0;
  for (int32_t y = 0; y < frame.Height; ++y) {
    const uint8_t* row = frame.Pixels.data() + stride * size_t(y);
    for (int32_t x = 0; x < frame.Width; ++x) lit += (row[3 * x] | row[3 * x + 1] | row[3 * x + 2]) != 0;
  }
  return double(lit) / (double(frame.Width) * frame.Height);
}

}  // namespace lumetrix::bench
