#pragma once
// The 8-bit page-fastest view of a hyperstack that the textures are built from: time point 1,
// one channel as grey, otherwise channels 1, 2 and 3 as red, green and blue (further channels
// are kept in the stack but not shown). Deeper samples are scaled from their minimum..maximum
// to 0..255: over all channels of an RGB file, per channel otherwise.

#include "imaging/hyperstack.h"
#include "viewer/volume_data.h"

namespace lumetrix {

// Width, height, depth, IsGrey, Samples and the file's channels, time points, depth and voxel
// size; FilePath is left to the caller.
VolumeData ShowHyperstack(imaging::Hyperstack&& stack);

}  // namespace lumetrix
