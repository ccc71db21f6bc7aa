#pragma once
// The pyramid cache's own metadata in an OME-Zarr group's .zattrs: beside `multiscales` and
// `omero`, a "lumetrix" block naming the file the pyramid was built from (absolute path, size,
// modification time, series) and what its held samples stand for. Written by the builder, read
// back by the cache, which finds files on disk that anything may have changed: the reader takes
// hostile text and answers with an ImageError.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/hyperstack_layout.h"
#include "imaging/stored_values.h"

namespace lumetrix::streaming {

// What a pyramid was built from: a changed size or modification time means a stale pyramid.
struct PyramidKey {
  std::string path;  // absolute, lexically normal
  uint64_t size = 0;
  int64_t mtime_ns = 0;
  int32_t series = 0;
  bool operator==(const PyramidKey&) const = default;
};

// The key of `path` as it is now. Throws imaging::ImageError when it is missing or a folder.
PyramidKey KeyOf(const std::string& path, int32_t series);

// Everything the .zattrs of a built pyramid says.
struct PyramidAttributes {
  PyramidKey key;
  imaging::StoredValues values;
  std::string name;         // the source's file name
  int32_t levels = 1;       // "0", "1", ... finest first, each halving x, y and z
  double voxel[3] = {0, 0, 0};  // finest level, in `unit`; 0: unknown
  std::string unit;         // as the TIFF reader gives it ("µm", "nm", "pixel", "")
  std::vector<imaging::ChannelLook> looks;  // one per channel
};

// The .zattrs text (NGFF 0.4 multiscales with axes t, c, z, y, x, omero channels, lumetrix).
std::string WritePyramidAttributes(const PyramidAttributes& a);
// Reads back the key, the values and the level count (the rest is left as it is: it is the
// Zarr reader's business). Throws imaging::ImageError naming `where` for anything malformed.
PyramidAttributes ReadPyramidAttributes(const std::string& text, const std::string& where);

}  // namespace lumetrix::streaming
