#pragma once
// What the ray caster uploads, prepared without a context: each channel's voxels at the time
// point shown (x fastest, rows top first, then pages; 8 or 16 bits as stored), how the channel
// is shown, and the palette of a grey volume.

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/renderer.h"
#include "viewer/volume_data.h"

namespace lumetrix {

struct RayChannel {
  const uint8_t* Voxels = nullptr;  // Width x Height x Depth samples (into the volume or Owned)
  std::vector<uint8_t> Owned;       // when the samples had to be reordered or downsampled
  int Bits = 8;
  bool Visible = true;
  // Held value -> level 0..1: clamp((v - Min) / (Max - Min), 0, 1) ^ Gamma, in held values.
  double Min = 0, Max = 255, Gamma = 1;
  imaging::StoredValues Values;  // the file's value of each held one (iso levels are given in it)
  float Red = 1, Green = 1, Blue = 1;  // 0..1
};

struct RayVolume {
  int32_t Width = 0, Height = 0, Depth = 0;  // of the textures (after downsampling)
  int32_t FullWidth = 0, FullHeight = 0, FullDepth = 0;
  int Steps = 0;  // halvings per side that made the textures fit
  std::vector<RayChannel> Channels;
  // The palette of a grey volume shown through a lookup table: 256 x red, green, blue bytes;
  // empty when there is none.
  std::vector<uint8_t> Palette;
  uint64_t Bytes() const;
};

// The texture limits the volume has to fit: the driver's largest 3D texture side and the memory
// budget in bytes (0: half of the memory available).
struct RayLimits {
  int32_t Max3DSize = 2048;
  uint64_t MemoryBudget = 0;
};

// The channels of `v` as the ray caster shows them; downsampled by 2 per side until they fit
// `limits` (TextureBuildError when even 64 times smaller does not). `note` says when they were.
RayVolume PrepareRayVolume(const VolumeData& v, const SliceColourer& colourer, const RayLimits& limits,
                           std::string& note);

}  // namespace lumetrix
