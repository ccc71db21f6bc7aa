#pragma once
// A test pattern shared by the imaging tests.

#include <cstdint>
#include <vector>

#include "imaging/image_box.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::imaging::testing {

// A pattern that differs between pages, pixels and channels.
inline int Pattern(int page, int x, int y, int c) { return (x * 7 + y * 13 + page * 29 + c * 61) % 256; }

// The pattern as ImageBox gives it: blue, green, red; or grey values of `levels` levels
// stretched to 0..255.
inline std::vector<uint8_t> PatternBgr(int page, int w, int h) {
  std::vector<uint8_t> out;
  for (int i = 0; i < w * h; ++i)
    for (int c = 2; c >= 0; --c) out.push_back(static_cast<uint8_t>(Pattern(page, i % w, i / w, c)));
  return out;
}
inline std::vector<uint8_t> PatternGrey(int page, int w, int h, int levels = 256) {
  std::vector<uint8_t> out;
  for (int i = 0; i < w * h; ++i) out.push_back(static_cast<uint8_t>(Pattern(page, i % w, i / w, 0) % levels * (255 / (levels - 1))));
  return out;
}

// The pattern for WriteTiff, `levels` values per channel.
inline test_support::SampleFn PatternFn(int levels = 256) {
  return [levels](int p, int x, int y, int c) { return static_cast<double>(Pattern(p, x, y, c) % levels); };
}

}  // namespace lumetrix::imaging::testing
