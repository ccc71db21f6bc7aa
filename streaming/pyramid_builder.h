#pragma once
// Builds the pyramid of a TIFF stack (anything imaging::PlanHyperstack plans) as an OME-Zarr
// group (NGFF 0.4 on Zarr format 2) that the Zarr reader of imaging/zarr opens: level "0" holds
// the samples as a Hyperstack would (8 or 16 bits), each next level the mean of 2 x 2 x 2 blocks
// (streaming/halve_volume.h), until no side is longer than 64 voxels. Axes t, c, z, y, x,
// chunks of 64 x 64 x 64 voxels compressed with zstd. The planes are read one at a time and
// each level keeps one slab of 64 planes, so memory does not grow with the depth.

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/progress_sink.h"

namespace lumetrix::streaming {

// Writing the pyramid failed; `code` is the errno (ENOSPC, EROFS...).
class PyramidWriteError : public std::runtime_error {
 public:
  PyramidWriteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

inline constexpr int32_t kPyramidChunk = 64;  // chunk side, and the largest side of the last level

struct PyramidBuildStats {
  int32_t levels = 0;
  uint64_t chunk_files = 0;
};

// Builds the pyramid of series `series` (0-based) of `path` into `folder`, an empty folder that
// exists. Progress "Building the pyramid", one step per plane read (floating-point and 32-bit
// files are read twice: a first pass finds their finite range, which maps them into 16 bits as
// reading them whole would). Returns false when `stop` or the progress sink asked to stop.
// Stopped or failed, `folder` is removed with everything in it. Throws imaging::ImageError when
// the file cannot be read and PyramidWriteError when the folder cannot be written.
bool BuildPyramid(const std::string& path, int32_t series, const std::string& folder, ProgressSink& progress,
                  const std::atomic<bool>& stop, PyramidBuildStats* stats = nullptr);

}  // namespace lumetrix::streaming
