#include "viewer/stack_geometry.h"

#include <cstdlib>

#include "core/rounding.h"

namespace lumetrix {

Stack ChooseStack(float x_rot, float y_rot) {
  // Rotations of any size stay meaningful: reduce in double before rounding to 32 bits.
  auto folded = [](float angle) {
    const double r = RoundHalfEven(static_cast<double>(angle));
    return std::abs(static_cast<long long>(std::fmod(r, 180.0)));
  };
  const long long ax = folded(x_rot), by = folded(y_rot);
  if (45 < ax && ax < 135) return Stack::XZ;
  if (45 < by && by < 135) return Stack::YZ;
  return Stack::XY;
}

std::vector<Quad> StackQuads(Stack stack, const VolumeExtent& e, int32_t slice_step) {
  std::vector<Quad> quads;
  const double W = e.Width, H = e.Height, D = e.Depth;
  switch (stack) {
    case Stack::XY: {
      const double depth = D * e.ScaleZ / (W * e.ScaleX);
      for (int32_t i = 0; i < e.Depth; ++i) {
        const float z = static_cast<float>((1.0 - 2.0 * i / D) * depth);
        quads.push_back({i, {0, 0, 1}, {{{0, 0, -1, -1, z}, {1, 0, 1, -1, z}, {1, 1, 1, 1, z}, {0, 1, -1, 1, z}}}});
      }
      break;
    }
    case Stack::YZ: {
      const int32_t n = LastSliceIndex(e.Width, slice_step);
      const float ez = static_cast<float>(D * e.ScaleZ / (W * e.ScaleX));
      for (int32_t i = 0; i <= n; ++i) {
        const float x = static_cast<float>(1.0 - 2.0 * slice_step * i / W);
        quads.push_back({n - i, {1, 0, 0}, {{{1, 0, x, -1, -ez}, {0, 0, x, 1, -ez}, {0, 1, x, 1, ez}, {1, 1, x, -1, ez}}}});
      }
      break;
    }
    case Stack::XZ: {
      const int32_t n = LastSliceIndex(e.Height, slice_step);
      const float ez = static_cast<float>(D * e.ScaleZ / (H * e.ScaleY));
      for (int32_t i = 0; i <= n; ++i) {
        const float y = static_cast<float>(1.0 - 2.0 * slice_step * i / H);
        quads.push_back({i, {0, 1, 0}, {{{0, 0, -1, y, -ez}, {1, 0, 1, y, -ez}, {1, 1, 1, y, ez}, {0, 1, -1, y, ez}}}});
      }
      break;
    }
  }
  return quads;
}

}  // namespace lumetrix
