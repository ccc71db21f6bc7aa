#include "viewer/hyperstack_view.h"

#include <algorithm>
#include <cstdlib>
#include <new>
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

// The identity display of one 8-bit grey channel: its planes are the Samples as they are.
bool Plain(const imaging::Hyperstack& s, const DisplaySettings& d) {
  if (s.channels != 1 || s.frames != 1 || s.bits != 8) return false;
  const ChannelDisplay& c = d.Channels[0];
  return c.Visible && c.Min == 0 && c.Max == 255 && c.Gamma == 1;
}

// Red, green or blue share of a channel's colour; one channel is shown as grey.
uint8_t Share(const ChannelDisplay& c, int component, bool grey) {
  if (grey) return 255;
  return component == 0 ? c.Red : component == 1 ? c.Green : c.Blue;
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
  v.Values = s.values;
  v.IsRgb = s.rgb;
  std::copy(s.voxel, s.voxel + 3, v.Voxel);
  v.VoxelUnit = s.unit;
  v.Note = s.note;
  v.Display = StartDisplay(s);
  if (Plain(s, v.Display)) {
    const size_t pixels = s.PlaneSamples();
    const size_t depth = static_cast<size_t>(s.slices);
    v.Samples.resize(pixels * depth);
    std::vector<const uint8_t*> pages(depth);
    for (size_t z = 0; z < depth; ++z) pages[z] = s.Plane(0, static_cast<int32_t>(z), 0);
    ScatterPages(pages, pixels, v.Samples.data());
    return v;
  }
  v.Stack = std::make_shared<imaging::Hyperstack>(std::move(stack));
  ShowChannels(v);
  return v;
}

void KeepStack(VolumeData& v) {
  if (v.Stack || !v.IsGrey || v.Empty()) return;
  if (v.Display.Channels.empty()) v.Display.Channels.resize(1);
  auto s = std::make_shared<imaging::Hyperstack>();
  s->width = v.Width, s->height = v.Height, s->slices = v.Depth, s->channels = 1, s->frames = 1, s->bits = 8;
  s->voxel[0] = v.Voxel[0], s->voxel[1] = v.Voxel[1], s->voxel[2] = v.Voxel[2];
  s->unit = v.VoxelUnit;
  s->data.reset(static_cast<uint8_t*>(std::malloc(s->Bytes())));
  if (!s->data) throw std::bad_alloc();
  for (int32_t z = 0; z < v.Depth; ++z) {
    uint8_t* plane = s->Plane(0, z, 0);
    for (int32_t y = 0; y < v.Height; ++y)
      for (int32_t x = 0; x < v.Width; ++x) plane[static_cast<size_t>(y) * v.Width + x] = v.At(z, x, y);
  }
  v.Stack = std::move(s);
}

void ShowChannels(VolumeData& v) {
  const imaging::Hyperstack& s = *v.Stack;
  const DisplaySettings& d = v.Display;
  const int32_t t = std::clamp(d.TimePoint, 1, s.frames) - 1;
  const bool grey = s.channels == 1;
  const int components = grey ? 1 : 3;
  v.IsGrey = grey;
  const size_t pixels = s.PlaneSamples();
  const size_t depth = static_cast<size_t>(s.slices);
  const size_t entries = s.bits == 8 ? 256 : 65536;
  v.Samples.resize(pixels * depth * static_cast<size_t>(components));

  // levels[c][value]: the level of each stored value through the channel's range and gamma.
  std::vector<std::vector<double>> levels(static_cast<size_t>(s.channels));
  v.ChannelMeans.clear();
  for (int32_t c = 0; c < s.channels; ++c) {
    const ChannelDisplay& look = d.Channels[static_cast<size_t>(c)];
    auto& level = levels[static_cast<size_t>(c)];
    level.resize(entries);
    for (size_t i = 0; i < entries; ++i) level[i] = DisplayLevel(look, s.values.Stored(static_cast<double>(i)));
    if (!grey && !s.rgb) {  // the --info mean of channels that are not red, green, blue
      double sum = 0;
      for (int32_t z = 0; z < s.slices; ++z) {
        const uint8_t* plane = s.Plane(c, z, t);
        for (size_t i = 0; i < pixels; ++i) {
          const size_t value = s.bits == 8 ? plane[i] : reinterpret_cast<const uint16_t*>(plane)[i];
          sum += std::floor(level[value] + 0.5);
        }
      }
      v.ChannelMeans.push_back(sum / static_cast<double>(pixels * depth));
    }
  }
  std::vector<uint8_t> shown(pixels * depth);
  std::vector<const uint8_t*> pages(depth);
  for (size_t z = 0; z < depth; ++z) pages[z] = shown.data() + pixels * z;
  for (int k = 0; k < components; ++k) {
    // this component's share of every visible channel, by stored value
    std::vector<std::pair<int32_t, std::vector<double>>> parts;
    for (int32_t c = 0; c < s.channels; ++c) {
      const ChannelDisplay& look = d.Channels[static_cast<size_t>(c)];
      const uint8_t share = Share(look, k, grey);
      if (!look.Visible || share == 0) continue;
      std::vector<double> part = levels[static_cast<size_t>(c)];
      if (share != 255) {
        for (double& p : part) p = p * share / 255.0;
      }
      parts.emplace_back(c, std::move(part));
    }
    const auto map = [&](size_t z0, size_t z1) {
      std::vector<double> sum(pixels);
      for (size_t z = z0; z < z1; ++z) {
        std::fill(sum.begin(), sum.end(), 0.0);
        for (const auto& [c, part] : parts) {
          const uint8_t* plane = s.Plane(c, static_cast<int32_t>(z), t);
          if (s.bits == 8) {
            for (size_t i = 0; i < pixels; ++i) sum[i] += part[plane[i]];
          } else {
            const auto* q = reinterpret_cast<const uint16_t*>(plane);
            for (size_t i = 0; i < pixels; ++i) sum[i] += part[q[i]];
          }
        }
        uint8_t* out = shown.data() + pixels * z;
        for (size_t i = 0; i < pixels; ++i) out[i] = static_cast<uint8_t>(std::min(255.0, std::floor(sum[i] + 0.5)));
      }
    };
    std::thread other(map, depth / 2, depth);
    map(0, depth / 2);
    other.join();
    ScatterPages(pages, pixels, v.Samples.data() + pixels * depth * static_cast<size_t>(k));
  }
}

}  // namespace lumetrix
