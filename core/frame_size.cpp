#include "core/frame_size.h"

namespace lumetrix {

std::string DrawingSizeProblem(const std::string& what, int64_t width, int64_t height, int32_t driverMax,
                               int32_t minSide) {
  const bool driver = driverMax > 0 && driverMax < kMaxDrawingSide;
  const int64_t most = driver ? driverMax : kMaxDrawingSide;
  const char* why = driver ? " (the most this computer's OpenGL driver draws)" : "";
  for (const auto& [side, value] : {std::pair{"width", width}, std::pair{"height", height}}) {
    if (value < minSide) return what + ": the " + side + " must be at least " + std::to_string(minSide);
    if (value > most) return what + ": the " + side + " must be at most " + std::to_string(most) + why;
  }
  return {};
}

}  // namespace lumetrix
