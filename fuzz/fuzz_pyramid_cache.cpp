// libFuzzer target: the pyramid cache's own metadata (the "lumetrix" block of a cached
// pyramid's .zattrs: the source key and what the held samples stand for), which the cache reads
// from a folder anything may have changed. Only ImageError may leave the reader, and what it
// accepts must be what the builder could have written.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/image_box.h"
#include "streaming/pyramid_metadata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const streaming::PyramidAttributes a = streaming::ReadPyramidAttributes(text, ".zattrs");
    if (a.key.path.empty() || a.key.path[0] != '/' || a.key.series < 0 || a.levels < 1 || a.levels > 64 ||
        !(a.values.scale > 0) || !std::isfinite(a.values.offset) || a.values.bits < 1 || a.values.bits > 64)
      std::abort();
    // What it read, written again, reads back the same.
    const streaming::PyramidAttributes again = streaming::ReadPyramidAttributes(streaming::WritePyramidAttributes(a), "again");
    if (!(again.key == a.key) || !(again.values == a.values) || again.levels != a.levels) std::abort();
  } catch (const imaging::ImageError&) {
  }
  return 0;
}
