#pragma once
// A TIFF series read box by box: its full-resolution planes and, for pyramidal files (SubIFDs
// as tifffile and OME-TIFF pyramids write them, or reduced-resolution OME images), its coarser
// levels. Only the planes and the strips or tiles a box touches are decoded; decoded blocks are
// kept for the neighbouring boxes.

#include <cstdint>
#include <memory>
#include <string>

#include "streaming/brick_source.h"

namespace lumetrix::streaming {

// Level 0 is series `series` (0-based) as imaging::PlanHyperstack plans it; the levels of the
// first series' pyramid follow when their sizes are whole factors of it (LevelFactor) and their
// channels, slices, time points and samples match; a file without one gives one level. Samples
// are held as imaging::ReadHyperstack holds them (32-bit pages over a range fixed here). Decoded
// blocks are kept within `cache_bytes` (at least one). Throws imaging::ImageError.
std::unique_ptr<BrickSource> OpenTiffBrickSource(const std::string& path, int32_t series, uint64_t cache_bytes);

}  // namespace lumetrix::streaming
