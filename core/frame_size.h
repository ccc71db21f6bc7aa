#pragma once
// The sizes a frame may be drawn at (--size, a keyframe file's "size", a script's recording):
// 1 to 8192 pixels a side, and no more than the OpenGL driver draws. Larger frames cost minutes
// and gigabytes in a software renderer and make movies no player shows.

#include <cstdint>
#include <string>

namespace lumetrix {

inline constexpr int32_t kMinDrawingSide = 1;
inline constexpr int32_t kMaxDrawingSide = 8192;

// Why `width` x `height` cannot be drawn ("" when it can), as "WHAT: the width must be at most
// 8192". `driverMax` is the driver's largest side (0: not known); `minSide` a caller's own minimum.
std::string DrawingSizeProblem(const std::string& what, int64_t width, int64_t height, int32_t driverMax = 0,
                               int32_t minSide = kMinDrawingSide);

}  // namespace lumetrix
