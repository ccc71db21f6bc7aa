#include "viewer/hyperstack_view.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "viewer/byte_transpose.h"

namespace lumetrix {
namespace {

constexpr int32_t kPagesPerBlock = 256;

// dst[z + depth * i] := pages[z][i] for every page and pixel, in blocks of pages and on two
// threads over halves of the pixels, in cache-sized tiles.
void ScatterPages(const std::vector<const uint8_t*>& pages, size_t pixels, uint8_t* dst) {
  const size_t depth = pages.size();
  constexpr size_t kTileBytes = 96 << 10;
  const size_t tile = std::max<size_t>(16, kTileBytes / depth / 16 * 16);
  const auto part = [&](size_t from, size_t to) {
    for (size_t first = 0; first < depth; first += kPagesPerBlock) {
      const auto count = static_cast<int32_t>(std::min<size_t>(kPagesPerBlock, depth - first));
      for (size_t i0 = from; i0 < to; i0 += tile) {
        TransposeBytes(pages.data() + first, count, i0, std::min(to, i0 + tile), depth, dst + first);
      }
    }
  };
  const size_t half = pixels / 2 / 16 * 16;
  if (pixels * depth < (size_t{4} << 20) || std::thread::hardware_concurrency() < 2) {
    part(0, pixels);
    return;
  }
  std::thread other(part, half, pixels);
  part(0, half);
  other.join();
}

struct Range {
  uint32_t lo = 0, hi = 0;
};

Range RangeOf(const imaging::Hyperstack& s, int32_t first, int32_t count) {
  Range r{UINT32_MAX, 0};
  for (int32_t t = 0; t < s.frames; ++t) {
    for (int32_t c = first; c < first + count; ++c) {
      for (int32_t z = 0; z < s.slices; ++z) {
        const auto [lo, hi] = s.plane_ranges[(static_cast<size_t>(t) * s.channels + c) * s.slices + z];
        r.lo = std::min<uint32_t>(r.lo, lo);
        r.hi = std::max<uint32_t>(r.hi, hi);
      }
    }
  }
  return r;
}

// 16 bits -> 8 the way single deep pages are shown: floor((v - lo) * 255 / span + 0.5).
std::vector<uint8_t> Table(Range r) {
  std::vector<uint8_t> table(65536, 0);
  const double span = double(r.hi) - double(r.lo);
  if (!(span > 0)) return table;  // a constant channel is black
  for (uint32_t v = 0; v < 65536; ++v) {
    table[v] = static_cast<uint8_t>(std::clamp(std::floor((double(v) - r.lo) * 255.0 / span + 0.5), 0.0, 255.0));
  }
  return table;
}

}  // namespace

VolumeData ShowHyperstack(imaging::Hyperstack&& stack) {
  VolumeData v;
  const imaging::Hyperstack& s = stack;
  v.Width = s.width;
  v.Height = s.height;
  v.Depth = s.slices;
  v.IsGrey = s.channels == 1;
  v.FileChannels = s.channels;
  v.TimePoints = s.frames;
  v.ChannelBits = s.bits;
  v.IsRgb = s.rgb;
  std::copy(s.voxel, s.voxel + 3, v.Voxel);
  v.VoxelUnit = s.unit;
  v.Note = s.note;

  const size_t pixels = s.PlaneSamples();
  const size_t depth = static_cast<size_t>(s.slices);
  v.Samples.resize(pixels * depth * static_cast<size_t>(v.Channels()));
  std::vector<std::vector<uint8_t>> tables;
  if (s.bits == 16) {
    if (s.rgb) tables.assign(3, Table(RangeOf(s, 0, 3)));
    for (int32_t c = static_cast<int32_t>(tables.size()); c < s.channels; ++c) tables.push_back(Table(RangeOf(s, c, 1)));
  }
  std::vector<uint8_t> shown;  // one channel of time point 1 at 8 bits, for the deep case
  for (int32_t c = 0; c < std::max(s.channels, v.Channels()); ++c) {
    uint8_t* dst = c < v.Channels() ? v.Samples.data() + pixels * depth * static_cast<size_t>(c) : nullptr;
    if (c >= s.channels) {
      std::fill(dst, dst + pixels * depth, uint8_t{0});  // two channels: no blue
      continue;
    }
    std::vector<const uint8_t*> pages(depth);
    if (s.bits == 16) {
      shown.resize(pixels * depth);
      const uint8_t* table = tables[static_cast<size_t>(c)].data();
      const auto map = [&](size_t z0, size_t z1) {
        for (size_t z = z0; z < z1; ++z) {
          const auto* src = reinterpret_cast<const uint16_t*>(s.Plane(c, static_cast<int32_t>(z), 0));
          uint8_t* out = shown.data() + pixels * z;
          for (size_t i = 0; i < pixels; ++i) out[i] = table[src[i]];
        }
      };
      std::thread other(map, depth / 2, depth);
      map(0, depth / 2);
      other.join();
      for (size_t z = 0; z < depth; ++z) pages[z] = shown.data() + pixels * z;
    } else {
      for (size_t z = 0; z < depth; ++z) pages[z] = s.Plane(c, static_cast<int32_t>(z), 0);
    }
    if (!v.IsGrey && !s.rgb) {  // the --info mean of channels that are not red, green, blue
      uint64_t sum = 0;
      for (const uint8_t* page : pages) {
        for (size_t i = 0; i < pixels; ++i) sum += page[i];
      }
      v.ChannelMeans.push_back(static_cast<double>(sum) / static_cast<double>(pixels * depth));
    }
    if (dst) ScatterPages(pages, pixels, dst);
  }
  if (s.channels > 1 || s.frames > 1 || s.bits != 8) v.Stack = std::make_shared<imaging::Hyperstack>(std::move(stack));
  return v;
}

}  // namespace lumetrix
