#include "bench/streaming/streaming_volumes.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/support/fluorescence_volume.h"
#include "bench/support/temp_folders.h"

namespace lumetrix::bench {
namespace {

ScratchFolder& Folder() {
  static ScratchFolder folder("lumetrix-bench-streaming");
  return folder;
}

struct Ball {
  double x, y, z, r, peak;
};

// Spread over the volume, some near its edges and one across a chunk corner; 40 to 130 voxels
// across: about a tenth of the finest level's chunks hold a part of one.
const std::vector<Ball>& Balls() {
  static const std::vector<Ball> balls = {
      {300, 400, 200, 120, 250}, {1500, 300, 700, 90, 200},  {1024, 1024, 500, 130, 255}, {1800, 1700, 150, 70, 180},
      {200, 1800, 900, 100, 230}, {700, 1300, 64, 60, 210},  {1200, 1900, 800, 50, 160},  {1900, 900, 960, 40, 240},
  };
  return balls;
}

// A ball's samples fall from its peak at the centre to a third of it at the edge, with a ripple
// so that chunks are not trivially compressible.
void BallRow(double x0, double step, double y, double z, int n, uint8_t* out) {
  std::fill(out, out + n, 0);
  for (const Ball& b : Balls()) {
    const double across = b.r * b.r - (y - b.y) * (y - b.y) - (z - b.z) * (z - b.z);
    if (across <= 0) continue;
    const double half = std::sqrt(across);
    const int first = std::max(0, int(std::ceil((b.x - half - x0) / step)));
    const int last = std::min(n - 1, int(std::floor((b.x + half - x0) / step)));
    for (int i = first; i <= last; ++i) {
      const double x = x0 + i * step;
      const double d2 = ((x - b.x) * (x - b.x) + b.r * b.r - across) / (b.r * b.r);
      const double v = b.peak * (1 - 2.0 / 3 * d2) * (0.9 + 0.1 * std::sin(0.3 * x + 0.2 * y + 0.1 * z));
      out[i] = std::max(out[i], uint8_t(std::clamp(v, 0.0, 255.0)));
    }
  }
}

bool NearBall(const double lo[3], const double hi[3]) {
  for (const Ball& b : Balls()) {
    double d2 = 0;
    const double c[3] = {b.x, b.y, b.z};
    for (int a = 0; a < 3; ++a) {
      const double out = std::max({lo[a] - c[a], c[a] - hi[a], 0.0});
      d2 += out * out;
    }
    if (d2 < b.r * b.r) return true;
  }
  return false;
}

StreamingVolume Written(const std::string& name, int w, int h, int d, const PyramidContent& content, int max_levels = 32,
                        const std::string& cname = "lz4") {
  StreamingVolume v{(Folder().path() / name).string(), w, h, d, {}};
  v.written = WriteZarrPyramid(v.path, w, h, d, content, max_levels, cname);
  return v;
}

// Fluorescence-like samples of side x side x depth, coarser levels sampled at the nearest voxel.
PyramidContent Fluorescence(int side, int depth) {
  auto samples = std::make_shared<std::vector<uint16_t>>(FluorescenceCounts(side, depth, 8));
  PyramidContent content;
  content.row = [samples, side, depth](double x0, double step, double y, double z, int n, uint8_t* out) {
    const size_t row = (size_t(std::min(int(z), depth - 1)) * side + size_t(std::min(int(y), side - 1))) * side;
    for (int i = 0; i < n; ++i) out[i] = uint8_t((*samples)[row + size_t(std::min(int(x0 + i * step), side - 1))]);
  };
  return content;
}

// The balls at a quarter of their size (x and y 256..768, z 3..253) over a floor of
// 4..14 that repeats no pattern a chunk could compress.
void FloorRow(double x0, double step, double y, double z, int n, uint8_t* out) {
  constexpr double kShrink = 4;
  std::vector<uint8_t> balls(static_cast<size_t>(n));
  BallRow((x0 - 256) * kShrink, step * kShrink, (y - 256) * kShrink, (z - 3) * kShrink, n, balls.data());
  for (int i = 0; i < n; ++i) {
    uint32_t h = uint32_t(x0 + i * step) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(z) * 83492791u;
    h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
    out[i] = std::max(balls[size_t(i)], uint8_t(4 + h % 11));
  }
}

}  // namespace

const StreamingVolume& FloorVolume() {
  static const StreamingVolume v = Written("floor.zarr", 1024, 1024, 256, {FloorRow}, 4);
  return v;
}

const StreamingVolume& BigSparseVolume() {
  static const StreamingVolume v = Written("big.zarr", 2048, 2048, 1000, {BallRow, NearBall});
  return v;
}

const StreamingVolume& SmallDenseVolume() {
  static const StreamingVolume v = Written("small.zarr", 256, 256, 125, Fluorescence(256, 125));
  return v;
}

const StreamingVolume& DenseLevelVolume(bool zstd) {
  static const PyramidContent content = Fluorescence(512, 256);
  static const StreamingVolume lz4 = Written("dense-lz4.zarr", 512, 512, 256, content, 1, "lz4");
  if (!zstd) return lz4;
  static const StreamingVolume with_zstd = Written("dense-zstd.zarr", 512, 512, 256, content, 1, "zstd");
  return with_zstd;
}

std::string StreamingScratch() { return Folder().path().string(); }

}  // namespace lumetrix::bench
