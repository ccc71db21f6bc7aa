#include "viewer/live_preview.h"

#include <initializer_list>

namespace lumetrix {

bool PreviewWhileDragging(int64_t width, int64_t height, int64_t depth, int64_t channels) {
  if (width <= 0 || height <= 0 || depth <= 0 || channels <= 0) return false;  // nothing shown
  // One by one, so a huge shape cannot overflow the product.
  uint64_t samples = 1;
  for (const int64_t n : {width, height, depth, channels}) {
    if (static_cast<uint64_t>(n) > kLivePreviewSamples / samples) return false;
    samples *= static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace lumetrix
