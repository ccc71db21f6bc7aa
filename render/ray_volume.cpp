#include "render/ray_volume.h"

#include <algorithm>
#include <cstring>

#include "render/texture_budget.h"
#include "streaming/halve_volume.h"
#include "viewer/byte_transpose.h"

namespace lumetrix {
namespace {

// The page-fastest grey samples reordered x fastest, then rows, then pages.
std::vector<uint8_t> PagesOfGrey(const VolumeData& v, int c) {
  const size_t pixels = static_cast<size_t>(v.Width) * v.Height;
  std::vector<uint8_t> out(pixels * static_cast<size_t>(v.Depth));
  const uint8_t* base = v.Samples.data() + static_cast<size_t>(c) * pixels * v.Depth;
  constexpr size_t kChunk = 4096;
  std::vector<const uint8_t*> rows(kChunk);
  for (size_t first = 0; first < pixels; first += kChunk) {
    const size_t count = std::min(kChunk, pixels - first);
    for (size_t b = 0; b < count; ++b) rows[b] = base + (first + b) * v.Depth;
    TransposeBytes(rows.data(), static_cast<int32_t>(count), 0, static_cast<size_t>(v.Depth), pixels, out.data() + first);
  }
  return out;
}

}  // namespace

uint64_t RayVolume::Bytes() const {
  uint64_t bytes = 0;
  for (const RayChannel& c : Channels)
    bytes += static_cast<uint64_t>(Width) * Height * Depth * static_cast<uint64_t>(c.Bits / 8);
  return bytes + Palette.size();
}

RayVolume PrepareRayVolume(const VolumeData& v, const SliceColourer& colourer, const RayLimits& limits,
                           std::string& note) {
  RayVolume r;
  r.Width = r.FullWidth = v.Width;
  r.Height = r.FullHeight = v.Height;
  r.Depth = r.FullDepth = v.Depth;
  if (v.Stack) {
    const imaging::Hyperstack& s = *v.Stack;
    const int32_t t = std::clamp(v.Display.TimePoint, 1, std::max(s.frames, 1)) - 1;
    for (int32_t c = 0; c < s.channels; ++c) {
      RayChannel ch;
      ch.Voxels = s.Plane(c, 0, t);  // a channel's pages at one time point lie one after another
      ch.Bits = s.bits;
      if (static_cast<size_t>(c) < v.Display.Channels.size()) {
        const ChannelDisplay& d = v.Display.Channels[static_cast<size_t>(c)];
        ch.Visible = d.Visible, ch.Min = s.values.Internal(d.Min), ch.Max = s.values.Internal(d.Max), ch.Gamma = d.Gamma;
        ch.Values = s.values;
        // One channel is shown grey through the palette, whatever colour it was given.
        if (s.channels > 1) ch.Red = d.Red / 255.0f, ch.Green = d.Green / 255.0f, ch.Blue = d.Blue / 255.0f;
      } else {
        ch.Max = s.bits == 16 ? 65535 : 255;
      }
      r.Channels.push_back(std::move(ch));
    }
  } else {
    for (int c = 0; c < v.Channels(); ++c) {
      RayChannel ch;
      ch.Owned = PagesOfGrey(v, c);
      ch.Voxels = ch.Owned.data();
      if (!v.IsGrey) ch.Red = c == 0, ch.Green = c == 1, ch.Blue = c == 2;
      r.Channels.push_back(std::move(ch));
    }
  }
  if (v.IsGrey && colourer) {
    std::vector<uint8_t> ramp(256), bgr;
    for (int i = 0; i < 256; ++i) ramp[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    int32_t columns = 0;
    colourer(ramp, 256, 1, bgr, columns);
    if (columns >= 256 && bgr.size() >= 3 * 256) {
      r.Palette.resize(3 * 256);
      for (size_t i = 0; i < 256; ++i)
        for (size_t k = 0; k < 3; ++k) r.Palette[3 * i + k] = bgr[3 * i + 2 - k];
    }
  }
  const uint64_t budget = limits.MemoryBudget ? limits.MemoryBudget : HalfOfAvailableMemory();
  auto fits = [&] {
    return r.Width <= limits.Max3DSize && r.Height <= limits.Max3DSize && r.Depth <= limits.Max3DSize &&
           (budget == 0 || r.Bytes() <= budget);
  };
  while (!fits()) {
    if (r.Steps == kMostDownsampleSteps)
      throw TextureBuildError("The volume is too large for this OpenGL driver's 3D textures, even 64 times smaller.");
    for (RayChannel& ch : r.Channels) {
      ch.Owned = streaming::HalveVolume(ch.Voxels, ch.Bits, r.Width, r.Height, r.Depth);
      ch.Voxels = ch.Owned.data();
    }
    r.Width = (r.Width + 1) / 2, r.Height = (r.Height + 1) / 2, r.Depth = (r.Depth + 1) / 2;
    ++r.Steps;
  }
  if (r.Steps > 0)
    note = "Shown downsampled by " + std::to_string(1 << r.Steps) + " per side (" + std::to_string(r.Width) + "x" +
           std::to_string(r.Height) + "x" + std::to_string(r.Depth) + ") to fit the 3D texture limits.";
  return r;
}

}  // namespace lumetrix
