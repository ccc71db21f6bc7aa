#pragma once
// The one-byte-per-pixel plane of a confocal channel slice. The instrument stores a channel in
// one colour byte of otherwise empty pixels (or as grey), and which byte differs between
// systems, so the first byte position that is not zero everywhere is taken.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumetrix::series {

// From 3-byte blue, green, red pixels: byte 0 of every pixel, unless all of those are zero, then
// byte 1, then byte 2 (kept even when zero). Returns the byte position taken. A buffer whose size
// is not a multiple of 3 is cut to whole pixels.
int ExtractPlane(const std::vector<uint8_t>& bgr, std::vector<uint8_t>& plane);

// Planes of the output's red, green and blue: for each colour the channel plane named by
// `source` (0..2), or zeros for -1 or a channel without a plane (empty vector).
std::array<const std::vector<uint8_t>*, 3> MapChannels(const std::array<std::vector<uint8_t>, 3>& channels,
                                                      const std::array<int, 3>& source,
                                                      const std::vector<uint8_t>& black);

}  // namespace lumetrix::series
