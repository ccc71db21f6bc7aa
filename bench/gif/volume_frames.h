#pragma once
// Benchmark pictures that look like rendered fluorescence volumes: glowing beads of several
// sizes turning about the vertical axis over a faint background, with camera-like grain.

#include <cstdint>

#include "export/gif/dib.h"

namespace lumetrix::bench {

// Frame `frame` of a turning bead volume (32-bit).
gif::cDIB VolumeFrame(int32_t width, int32_t height, int frame);

}  // namespace lumetrix::bench
