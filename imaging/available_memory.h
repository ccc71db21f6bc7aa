#pragma once
// How much memory a new volume may take without pushing the computer into swapping.

#include <cstdint>

namespace lumetrix::imaging {

// Memory available to new allocations (Linux: MemAvailable), in bytes; the physical memory
// when that is unknown, 0 when neither is known.
uint64_t AvailableMemoryBytes();

}  // namespace lumetrix::imaging
