#pragma once
// The output pane keeps its size bounded while scripts report into it.

#include <cstdint>

namespace lumetrix::scripting {

inline constexpr int64_t kOutputCutAbove = 30000;  // longer than this: cut before appending
inline constexpr int64_t kOutputKeep = 15000;      // characters kept from the end

// Characters to drop from the start of a pane holding `length` characters.
constexpr int64_t OutputCharsToDrop(int64_t length) {
  return length > kOutputCutAbove ? length - kOutputKeep : 0;
}

}  // namespace lumetrix::scripting
