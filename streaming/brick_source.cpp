#include "streaming/brick_source.h"

namespace lumetrix::streaming {

int32_t LevelFactor(int32_t fine, int32_t coarse) {
  if (fine <= 0 || coarse <= 0 || coarse > fine) return 0;
  // Each halving rounds up: a level of n voxels at factor f has ceil(n / f) of them.
  for (int64_t f = 1; f <= int64_t(fine) * 2; f *= 2)
    if ((int64_t(fine) + f - 1) / f == coarse) return static_cast<int32_t>(f);
  return 0;
}

}  // namespace lumetrix::streaming
