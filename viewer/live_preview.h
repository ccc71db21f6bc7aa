#pragma once
// Whether the Display window's picture can follow a range or time slider while it is dragged:
// each step rebuilds the shown colours of one time point (every voxel of every channel) and the
// slices drawn from them, so its cost grows with those samples: about 50 ns each, measured with
// software GL on two shared cores (a step of 128x128x40 x 2 channels took 50 ms, 256x256x40 x 1
// 94 ms, 256x256x40 x 2 270 ms, 512x512x40 x 2 1.4 s). Up to 2^21 samples a step takes about a
// tenth of a second, so the picture follows at some ten steps a second; beyond, it changes when
// the slider is let go. A pure function of the volume's shape, so no test depends on a clock.

#include <cstdint>

namespace lumetrix {

inline constexpr uint64_t kLivePreviewSamples = uint64_t{1} << 21;

bool PreviewWhileDragging(int64_t width, int64_t height, int64_t depth, int64_t channels);

}  // namespace lumetrix
