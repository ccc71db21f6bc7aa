#pragma once
// The byte transposes between the page-fastest volume and page images.

#include <cstddef>
#include <cstdint>

namespace lumetrix {

// dst[b + stride * i] := rows[b][i] for b < count and i0 <= i < i1. Tiles of 16 x 16 bytes go
// through SSE2 registers where available.
void TransposeBytes(const uint8_t* const* rows, int32_t count, size_t i0, size_t i1, size_t stride, uint8_t* dst);

}  // namespace lumetrix
