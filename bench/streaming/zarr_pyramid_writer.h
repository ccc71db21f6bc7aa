#pragma once
// OME-Zarr pyramids written for the streaming benchmarks: 8-bit, 64^3 chunks compressed with
// blosc (level 5, shuffle; lz4 is zarr-python's default, zstd ome-zarr-py's), levels halving x, y and z
// until the largest side is at most 64. A chunk the content says is empty is not written, as
// zarr leaves chunks holding only fill_value: a mostly empty volume takes little disk.

#include <cstdint>
#include <functional>
#include <string>

namespace lumetrix::bench {

struct PyramidContent {
  // Fills `n` samples of a level row with the voxels whose centres are at x0 + i * step, y, z
  // (coordinates of the finest level, voxel i spanning [i, i + 1)).
  std::function<void(double x0, double step, double y, double z, int n, uint8_t* out)> row;
  // False when the box [lo, hi) of the finest level holds only zeros (the chunk is left out).
  std::function<bool(const double lo[3], const double hi[3])> occupied = [](const double*, const double*) { return true; };
};

struct WrittenPyramid {
  int levels = 0;
  int64_t chunks = 0;        // chunk files written
  int64_t stored_bytes = 0;  // their bytes
};

// Writes the group folder `path` (which must not exist) of a width x height x depth volume;
// `max_levels` bounds the pyramid; `cname` is blosc's compressor ("lz4", "zstd"). Throws
// std::runtime_error when a file cannot be written.
WrittenPyramid WriteZarrPyramid(const std::string& path, int width, int height, int depth, const PyramidContent& content,
                                int max_levels = 32, const std::string& cname = "lz4");

}  // namespace lumetrix::bench
