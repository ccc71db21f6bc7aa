#pragma once
// A microscope stack as the file holds it: W x H x Z voxels in C channels and T time points,
// each sample at the stored depth (8 or 16 bits; 32-bit and floating-point files are scaled
// into 16 bits once, when they are read), with the voxel size when the file gives one.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imaging/hyperstack_layout.h"
#include "imaging/stored_values.h"

namespace lumetrix::imaging {

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};

struct Hyperstack {
  int32_t width = 0, height = 0, slices = 0, channels = 0, frames = 0;
  int bits = 8;                 // 8 or 16, the same for every channel
  bool rgb = false;             // three channels from RGB pages: red, green, blue
  double voxel[3] = {0, 0, 0};  // X, Y, Z in `unit`; 0 when the file does not say
  std::string unit;
  std::vector<ChannelLook> looks;  // names, colours, display ranges the file gives, by channel
  std::string note;                // why the file's metadata was not followed
  std::string kind;                // "16-bit grey, LZW": how the pages are stored
  StoredValues values;             // the file's value of each held sample value
  // Plane (channel c, slice z, time t) is plane number (t * channels + c) * slices + z; each
  // plane holds width x height samples, rows top first.
  std::unique_ptr<uint8_t[], FreeDeleter> data;
  // 16-bit stacks: the smallest and largest sample of each plane (same numbering), found while
  // the plane was decoded.
  std::vector<std::pair<uint16_t, uint16_t>> plane_ranges;

  size_t PlaneSamples() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  size_t PlaneBytes() const { return PlaneSamples() * static_cast<size_t>(bits / 8); }
  size_t Planes() const { return static_cast<size_t>(slices) * channels * frames; }
  size_t Bytes() const { return PlaneBytes() * Planes(); }
  uint8_t* Plane(int32_t c, int32_t z, int32_t t) const {
    return data.get() + PlaneBytes() * ((static_cast<size_t>(t) * channels + c) * slices + z);
  }
  // Sample (x, y) of a plane as a number.
  uint32_t At(int32_t c, int32_t z, int32_t t, int32_t x, int32_t y) const {
    const size_t i = static_cast<size_t>(y) * width + x;
    const uint8_t* p = Plane(c, z, t);
    return bits == 8 ? p[i] : reinterpret_cast<const uint16_t*>(p)[i];
  }
};

}  // namespace lumetrix::imaging
