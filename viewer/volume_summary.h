#pragma once
// The line that tells what the shown file holds, for the status bar:
//   "1024 x 1024 x 300, 2 channels, 3 time points, 16-bit, voxel 0.2 x 0.2 x 0.5 µm".

#include <string>

#include "viewer/volume_data.h"

namespace lumetrix {

// Width x height x pages; "grey", "RGB" or the number of channels; the time points when there
// are several; the stored bits per sample; the voxel size with its unit, or "no voxel size".
// Empty for an empty volume.
std::string VolumeSummary(const VolumeData& v);

}  // namespace lumetrix
