#include "palettes/colour.h"

#include <algorithm>

namespace lumetrix::palettes {

RgbImage::RgbImage(int32_t width, int32_t height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

}  // namespace lumetrix::palettes
