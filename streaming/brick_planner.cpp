#include "streaming/brick_planner.h"

#include <algorithm>
#include <cmath>

namespace lumetrix::streaming {
namespace {

struct Clip {
  double x, y, z, w;
};

Clip Project(const std::array<double, 16>& m, double x, double y, double z) {
  return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
          m[2] * x + m[6] * y + m[10] * z + m[14], m[3] * x + m[7] * y + m[11] * z + m[15]};
}

// A brick's region in voxels of the finest level.
struct Region {
  double lo[3], hi[3];
};

Region RegionOf(const BrickKey& k, const PyramidLevel& level, const PyramidLevel& finest) {
  const int32_t at[3] = {k.x, k.y, k.z};
  const int32_t size[3] = {finest.width, finest.height, finest.depth};
  Region r;
  for (int a = 0; a < 3; ++a) {
    const double span = double(kBrickSide) * level.factor[a];
    r.lo[a] = at[a] * span;
    r.hi[a] = std::min((at[a] + 1) * span, double(size[a]));
  }
  return r;
}

bool Outside(const Region& r, const BrickView& v) {
  for (int a = 0; a < 3; ++a)
    if (r.hi[a] <= v.crop_lo[a] || r.lo[a] >= v.crop_hi[a]) return true;
  if (v.clip) {
    // Beyond the plane when its nearest corner is.
    double nearest = 0;
    for (int a = 0; a < 3; ++a) nearest += v.plane[a] * (v.plane[a] > 0 ? r.lo[a] : r.hi[a]);
    if (nearest > v.plane[3]) return true;
  }
  // Outside the frame when all eight corners lie beyond one side of it.
  int beyond[6] = {0, 0, 0, 0, 0, 0};
  for (int c = 0; c < 8; ++c) {
    const Clip p = Project(v.voxel_to_clip, c & 1 ? r.hi[0] : r.lo[0], c & 2 ? r.hi[1] : r.lo[1], c & 4 ? r.hi[2] : r.lo[2]);
    beyond[0] += p.x < -p.w, beyond[1] += p.x > p.w, beyond[2] += p.y < -p.w;
    beyond[3] += p.y > p.w, beyond[4] += p.z < -p.w, beyond[5] += p.z > p.w;
  }
  return std::any_of(beyond, beyond + 6, [](int n) { return n == 8; });
}

// Pixels one voxel of the brick's level spans at the brick's centre (the longest of its three
// edges); a centre at or behind the eye counts as very large.
double PixelsPerVoxel(const Region& r, const PyramidLevel& level, const BrickView& v) {
  const double c[3] = {(r.lo[0] + r.hi[0]) / 2, (r.lo[1] + r.hi[1]) / 2, (r.lo[2] + r.hi[2]) / 2};
  const Clip o = Project(v.voxel_to_clip, c[0], c[1], c[2]);
  if (o.w <= 1e-9) return 1e30;
  double most = 0;
  for (int a = 0; a < 3; ++a) {
    double e[3] = {c[0], c[1], c[2]};
    e[a] += level.factor[a];
    const Clip p = Project(v.voxel_to_clip, e[0], e[1], e[2]);
    if (p.w <= 1e-9) return 1e30;
    const double dx = (p.x / p.w - o.x / o.w) * v.width / 2, dy = (p.y / p.w - o.y / o.w) * v.height / 2;
    most = std::max(most, std::hypot(dx, dy));
  }
  return most;
}

BrickPlan PlanAt(const std::vector<PyramidLevel>& levels, const BrickView& view, double pixels_per_voxel,
                 size_t limit) {
  BrickPlan plan;
  const PyramidLevel& finest = levels.front();
  const int32_t top = static_cast<int32_t>(levels.size()) - 1;
  plan.finest_level = top;
  std::vector<BrickKey> layer;
  {
    const PyramidLevel& l = levels.back();
    for (int32_t z = 0; z < BricksAlong(l.depth); ++z)
      for (int32_t y = 0; y < BricksAlong(l.height); ++y)
        for (int32_t x = 0; x < BricksAlong(l.width); ++x) layer.push_back({top, view.t, x, y, z});
  }
  while (!layer.empty()) {
    std::vector<BrickKey> finer;
    for (const BrickKey& k : layer) {
      const PyramidLevel& level = levels[static_cast<size_t>(k.level)];
      const Region r = RegionOf(k, level, finest);
      if (Outside(r, view)) continue;
      plan.wanted.push_back(k);
      plan.finest_level = std::min(plan.finest_level, k.level);
      if (plan.wanted.size() > limit) return plan;
      if (k.level == 0 || PixelsPerVoxel(r, level, view) <= pixels_per_voxel) continue;
      const PyramidLevel& next = levels[static_cast<size_t>(k.level - 1)];
      // A level's factors are whole multiples of the next finer level's.
      const int32_t ratio[3] = {level.factor[0] / next.factor[0], level.factor[1] / next.factor[1],
                                level.factor[2] / next.factor[2]};
      const int32_t at[3] = {k.x, k.y, k.z};
      const int32_t count[3] = {BricksAlong(next.width), BricksAlong(next.height), BricksAlong(next.depth)};
      int32_t lo[3], hi[3];
      for (int a = 0; a < 3; ++a) lo[a] = at[a] * ratio[a], hi[a] = std::min((at[a] + 1) * ratio[a], count[a]);
      for (int32_t z = lo[2]; z < hi[2]; ++z)
        for (int32_t y = lo[1]; y < hi[1]; ++y)
          for (int32_t x = lo[0]; x < hi[0]; ++x) finer.push_back({k.level - 1, view.t, x, y, z});
    }
    layer = std::move(finer);
  }
  return plan;
}

}  // namespace

BrickPlan PlanBricks(const std::vector<PyramidLevel>& levels, const BrickView& view) {
  if (levels.empty()) return {};
  const size_t limit = std::max<size_t>(view.max_bricks, 1);
  double ppv = std::max(view.pixels_per_voxel, 1e-3);
  // Each doubling of the allowed voxel size takes about one level less detail; the coarsest
  // level alone ends it.
  for (size_t tries = 0; tries <= levels.size() + 1; ++tries, ppv *= 2) {
    BrickPlan plan = PlanAt(levels, view, ppv, limit);
    if (plan.wanted.size() <= limit) {
      plan.reduced = tries > 0;
      return plan;
    }
  }
  BrickPlan plan = PlanAt(levels, view, 1e30, limit);
  plan.wanted.resize(std::min(plan.wanted.size(), limit));
  plan.reduced = true;
  return plan;
}

}  // namespace lumetrix::streaming
