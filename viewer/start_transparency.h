#pragma once
// The transparency an opened volume starts with.

#include <cstdint>

namespace lumetrix {

// 1 for a single page, 0.3 up to 30 pages (the depth the viewer was made for), then
// 0.3 * 30 / pages, so a deep stack adds up to the same brightness instead of a white block.
float DefaultTransparency(int32_t depth);

}  // namespace lumetrix
