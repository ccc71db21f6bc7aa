#include "render/stack_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/rounding.h"

namespace lumetrix {

namespace {

float HalfHeight(const VolumeExtent& e) {
  if (!e.TrueAspect) return 1.0f;
  return static_cast<float>(double(e.Height) * e.ScaleY / (double(e.Width) * e.ScaleX));
}

}  // namespace

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
  const float ey = HalfHeight(e);
  switch (stack) {
    case Stack::XY: {
      const double depth = D * e.ScaleZ / (W * e.ScaleX);
      for (int32_t i = 0; i < e.Depth; ++i) {
        const float z = static_cast<float>((1.0 - 2.0 * i / D) * depth);
        quads.push_back({i, {0, 0, 1}, {{{0, 0, -1, -ey, z}, {1, 0, 1, -ey, z}, {1, 1, 1, ey, z}, {0, 1, -1, ey, z}}}});
      }
      break;
    }
    case Stack::YZ: {
      const int32_t n = LastSliceIndex(e.Width, slice_step);
      const float ez = static_cast<float>(D * e.ScaleZ / (W * e.ScaleX));
      for (int32_t i = 0; i <= n; ++i) {
        // Column step*(n-i) at its -x edge, as the XY stack draws that column's voxels.
        const float x = static_cast<float>(-1.0 + 2.0 * slice_step * (n - i) / W);
        quads.push_back({n - i, {1, 0, 0}, {{{1, 0, x, -ey, -ez}, {0, 0, x, ey, -ez}, {0, 1, x, ey, ez}, {1, 1, x, -ey, ez}}}});
      }
      break;
    }
    case Stack::XZ: {
      const int32_t n = LastSliceIndex(e.Height, slice_step);
      // The same depth as the XY stack: x spans -1..1 and sets the unit for every axis.
      const float ez = static_cast<float>(D * e.ScaleZ / (W * e.ScaleX));
      for (int32_t i = 0; i <= n; ++i) {
        const float y = static_cast<float>((1.0 - 2.0 * slice_step * i / H) * ey);
        quads.push_back({i, {0, 1, 0}, {{{0, 0, -1, y, -ez}, {1, 0, 1, y, -ez}, {1, 1, 1, y, ez}, {0, 1, -1, y, ez}}}});
      }
      break;
    }
  }
  return quads;
}

float StackAlpha(Stack stack, const VolumeExtent& e, int32_t slice_step, float alpha) {
  // Blending adds alpha per slice crossed, so the sum along a ray stays that of the XY stack when
  // alpha grows with the spacing of the slices (model units) relative to the XY stack's pages.
  const double page = 2.0 * e.ScaleZ / (static_cast<double>(e.Width) * e.ScaleX);
  double spacing = page;
  if (stack == Stack::YZ) spacing = 2.0 * slice_step / e.Width;
  if (stack == Stack::XZ) spacing = 2.0 * slice_step / e.Height * HalfHeight(e);
  if (!(page > 0) || !(spacing > 0)) return alpha;
  return static_cast<float>(std::min(1.0, alpha * spacing / page));
}

}  // namespace lumetrix
