#include "render/texture_budget.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace lumetrix {

namespace {

int32_t Halved(int32_t side, int steps) { return std::max(1, side >> steps); }

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

}  // namespace

uint64_t MipChainBytes(int32_t width, int32_t height, int bytes_per_texel, int steps) {
  uint64_t total = 0;
  int32_t w = Halved(width, steps), h = Halved(height, steps);
  for (;;) {
    total += static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * static_cast<uint64_t>(bytes_per_texel);
    if (w == 1 && h == 1) break;
    w = std::max(1, w / 2), h = std::max(1, h / 2);
  }
  return total;
}

TexturePlan PlanTextures(const std::vector<TextureDemand>& stacks, const TextureLimits& limits) {
  TexturePlan plan;
  std::string first_reason;
  for (int steps = 0; steps <= kMostDownsampleSteps; ++steps) {
    uint64_t bytes = 0;
    std::string reason;
    for (const TextureDemand& d : stacks) {
      if (d.Count <= 0) continue;
      const int32_t w = Halved(d.Width, steps), h = Halved(d.Height, steps);
      bytes += static_cast<uint64_t>(d.Count) * MipChainBytes(d.Width, d.Height, limits.BytesPerTexel, steps);
      if (reason.empty() && limits.MaxSize > 0 && std::max(w, h) > limits.MaxSize)
        reason = "slices of " + std::to_string(w) + " x " + std::to_string(h) + " pixels are larger than the " +
                 std::to_string(limits.MaxSize) + " pixels the graphics driver takes";
      else if (reason.empty() && limits.DriverTakes && !limits.DriverTakes(w, h))
        reason = "the graphics driver cannot make textures of " + std::to_string(w) + " x " + std::to_string(h) +
                 " pixels";
    }
    if (reason.empty() && limits.MemoryBudget > 0 && bytes > limits.MemoryBudget)
      reason = "the textures would need " + Megabytes(bytes) + ", more than the " + Megabytes(limits.MemoryBudget) +
               " (half of the available memory) they may take";
    if (steps == 0) first_reason = reason;
    if (reason.empty()) {
      plan.Possible = true, plan.Steps = steps, plan.Bytes = bytes;
      if (steps > 0)
        plan.Message = "Slices shown at 1/" + std::to_string(1 << steps) + " of their size per side (" +
                       Megabytes(bytes) + " of textures): at full size " + first_reason + ".";
      return plan;
    }
    plan.Bytes = bytes;
    plan.Message = "The volume is too large to show: even at 1/" + std::to_string(1 << steps) +
                   " of its size per side " + reason + ".";
  }
  return plan;
}

uint64_t HalfOfAvailableMemory() {
  std::ifstream in("/proc/meminfo");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    uint64_t kilobytes = 0;
    if (fields >> key >> kilobytes && key == "MemAvailable:") return kilobytes * 1024 / 2;
  }
  return 0;
}

}  // namespace lumetrix
