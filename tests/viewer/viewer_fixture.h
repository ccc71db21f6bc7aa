#pragma once
// Small volume files for the viewer to open.

#include <string>

#include "tests/support/tiff_fixture.h"

namespace lumetrix::testing {

// A W x H x pages stack whose samples vary with page, column, row and channel.
inline std::string Stack(const test_support::TempDir& dir, const std::string& name, int pages, int width = 32,
                         int height = 24, test_support::TiffSamples samples = test_support::TiffSamples::kGrey8) {
  test_support::TiffLayout layout;
  layout.width = width, layout.height = height, layout.pages = pages, layout.samples = samples;
  const std::string path = dir.File(name);
  test_support::WriteTiff(path, layout, [](int p, int x, int y, int c) { return (p * 50 + x * 3 + y + c * 80) % 256; });
  return path;
}

}  // namespace lumetrix::testing
