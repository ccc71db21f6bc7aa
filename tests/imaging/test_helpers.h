#pragma once
// Small helpers shared by the imaging tests.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/image_box.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::imaging::testing {

// A pattern that differs between pages, pixels and channels.
inline int Pattern(int page, int x, int y, int c) { return (x * 7 + y * 13 + page * 29 + c * 61) % 256; }

// Expected blue, green, red bytes of an RGB pattern page.
inline std::vector<uint8_t> PatternBgr(int page, int w, int h) {
  std::vector<uint8_t> out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      out.push_back(static_cast<uint8_t>(Pattern(page, x, y, 2)));
      out.push_back(static_cast<uint8_t>(Pattern(page, x, y, 1)));
      out.push_back(static_cast<uint8_t>(Pattern(page, x, y, 0)));
    }
  }
  return out;
}

inline std::vector<uint8_t> PatternGrey(int page, int w, int h, int levels = 256) {
  std::vector<uint8_t> out;
  const int scale = 255 / (levels - 1);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) out.push_back(static_cast<uint8_t>(Pattern(page, x, y, 0) % levels * scale));
  }
  return out;
}

inline test_support::SampleFn PatternFn(int levels = 256) {
  return [levels](int p, int x, int y, int c) { return static_cast<double>(Pattern(p, x, y, c) % levels); };
}

}  // namespace lumetrix::imaging::testing
