#include "viewer/start_transparency.h"

namespace lumetrix {

float DefaultTransparency(int32_t depth) {
  constexpr int32_t kMadeFor = 30;
  if (depth == 1) return 1.0f;
  return depth <= kMadeFor ? 0.3f : static_cast<float>(0.3 * kMadeFor / depth);
}

}  // namespace lumetrix
