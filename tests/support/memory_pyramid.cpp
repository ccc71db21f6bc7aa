#include "tests/support/memory_pyramid.h"

#include <algorithm>

namespace lumetrix::test_support {

MemoryPyramid::MemoryPyramid(std::vector<uint8_t> level0, int32_t w, int32_t h, int32_t d, int levels) {
  levels_.push_back({w, h, d, {1, 1, 1}});
  samples_.push_back(std::move(level0));
  for (int l = 1; l < levels; ++l) {
    const streaming::PyramidLevel& f = levels_.back();
    const std::vector<uint8_t>& in = samples_.back();
    streaming::PyramidLevel c{(f.width + 1) / 2, (f.height + 1) / 2, (f.depth + 1) / 2,
                              {f.factor[0] * 2, f.factor[1] * 2, f.factor[2] * 2}};
    std::vector<uint8_t> out(size_t(c.width) * c.height * c.depth);
    for (int32_t z = 0; z < c.depth; ++z)
      for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < c.width; ++x) {
          int sum = 0, n = 0;
          for (int32_t k = 2 * z; k < std::min(2 * z + 2, f.depth); ++k)
            for (int32_t j = 2 * y; j < std::min(2 * y + 2, f.height); ++j)
              for (int32_t i = 2 * x; i < std::min(2 * x + 2, f.width); ++i, ++n)
                sum += in[(size_t(k) * f.height + j) * f.width + i];
          out[(size_t(z) * c.height + y) * c.width + x] = uint8_t((sum + n / 2) / n);
        }
    levels_.push_back(c);
    samples_.push_back(std::move(out));
  }
}

void MemoryPyramid::ReadBox(size_t level, int32_t, int32_t, const streaming::VoxelBox& box, uint8_t* out) const {
  ++reads_;
  const streaming::PyramidLevel& l = levels_[level];
  const std::vector<uint8_t>& s = samples_[level];
  for (int32_t z = 0; z < box.d; ++z)
    for (int32_t y = 0; y < box.h; ++y)
      for (int32_t x = 0; x < box.w; ++x) {
        const int32_t i = std::clamp(box.x0 + x, 0, l.width - 1), j = std::clamp(box.y0 + y, 0, l.height - 1);
        const int32_t k = std::clamp(box.z0 + z, 0, l.depth - 1);
        *out++ = s[(size_t(k) * l.height + j) * l.width + i];
      }
}

}  // namespace lumetrix::test_support
