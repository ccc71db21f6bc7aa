#pragma once
// How much memory the slice textures of a volume take, and how far their slices must be
// downsampled (by 2 per side per step) to fit the driver's limits and the memory to spare.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumetrix {

// One stack's textures: Count slices of Width x Height texels (after resampling).
struct TextureDemand {
  int32_t Width = 0, Height = 0;
  int64_t Count = 0;
};

struct TextureLimits {
  int32_t MaxSize = 0;                                    // GL_MAX_TEXTURE_SIZE
  std::function<bool(int32_t, int32_t)> DriverTakes;      // the proxy-texture check; may be empty
  uint64_t MemoryBudget = 0;                              // bytes the textures may take
  int BytesPerTexel = 4;                                  // as the driver stores them
};

struct TexturePlan {
  bool Possible = false;
  int Steps = 0;        // halvings per side
  uint64_t Bytes = 0;   // estimated texture memory at that size
  std::string Message;  // why slices are downsampled, or why the volume is refused
};

constexpr int kMostDownsampleSteps = 6;

// Bytes of a full mipmap chain of a w x h texture after `steps` halvings.
uint64_t MipChainBytes(int32_t width, int32_t height, int bytes_per_texel, int steps);
// The fewest halvings that make every stack fit; Possible is false when none up to
// kMostDownsampleSteps does.
TexturePlan PlanTextures(const std::vector<TextureDemand>& stacks, const TextureLimits& limits);
// Half of the memory the system reports as available (MemAvailable), or 0 when unknown.
uint64_t HalfOfAvailableMemory();

}  // namespace lumetrix
