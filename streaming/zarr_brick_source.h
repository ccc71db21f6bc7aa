#pragma once
// The levels of an OME-Zarr image (NGFF 0.4 on Zarr format 2) read box by box: only the chunks a
// box touches are decoded, and decoded chunks are kept for the neighbouring boxes.

#include <cstdint>
#include <memory>
#include <string>

#include "streaming/brick_source.h"

namespace lumetrix::streaming {

// `path`: anything imaging::IsZarrPath accepts. The levels are the Zarr levels with level 0's
// channels and time points whose sizes are whole factors of level 0's (LevelFactor); others are
// left out. Samples are held as the whole-volume reader holds them (8 bits, 16 bits, int16
// shifted, float32 over a range fixed here). Decoded chunks are kept within `cache_bytes` (at
// least one). Throws imaging::ImageError with a sentence naming the folder.
std::unique_ptr<BrickSource> OpenZarrBrickSource(const std::string& path, uint64_t cache_bytes);

}  // namespace lumetrix::streaming
