#pragma once
// A pyramid the cache built for a file without one (streaming/pyramid_cache.h), opened as a
// brick source: an OME-Zarr group whose held samples stand for the file's own values (int16,
// float) as its "lumetrix" block says.

#include <cstdint>
#include <memory>
#include <string>

#include "streaming/brick_source.h"

namespace lumetrix::streaming {

// Throws imaging::ImageError naming the entry when it cannot be read.
std::unique_ptr<BrickSource> OpenCachedPyramid(const std::string& entry, uint64_t cache_bytes);

}  // namespace lumetrix::streaming
