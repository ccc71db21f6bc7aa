#pragma once
// The OME-Zarr files the streaming benchmarks read, written once per run into a private
// temporary folder that goes at the end:
//   big:   2048 x 2048 x 1000, 8 bits, sparse: a few bright balls, every chunk away from them
//          left unwritten (fill_value); six levels down to 64 x 64 x 32.
//   small: 256 x 256 x 125, 8 bits, dense fluorescence-like (beads and fibres); three levels.
//   dense: 512 x 512 x 256, 8 bits, dense fluorescence-like, one level (for decode throughput),
//          compressed with blosc lz4 or zstd; the others with lz4.
//   floor: 1024 x 1024 x 256, 8 bits: the big volume's balls, shrunk, in the middle of x and y over a
//          camera's dim floor (4..14) everywhere else; four levels.

#include <string>

#include "bench/streaming/zarr_pyramid_writer.h"

namespace lumetrix::bench {

struct StreamingVolume {
  std::string path;
  int width = 0, height = 0, depth = 0;
  WrittenPyramid written;
};

const StreamingVolume& BigSparseVolume();
const StreamingVolume& SmallDenseVolume();
const StreamingVolume& DenseLevelVolume(bool zstd);
const StreamingVolume& FloorVolume();
// The folder the files are in (for other files of the run, such as scripts).
std::string StreamingScratch();

}  // namespace lumetrix::bench
