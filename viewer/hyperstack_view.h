#pragma once
// The 8-bit page-fastest view of a hyperstack that the textures are built from, made through
// its display settings (see channel_display.h): one channel as grey, otherwise the colours of
// the visible channels added in red, green and blue, at the time point chosen.

#include "imaging/hyperstack.h"
#include "viewer/volume_data.h"

namespace lumetrix {

// Width, height, depth, IsGrey, Samples, the start display settings and the file's channels,
// time points, depth and voxel size; FilePath is left to the caller. One 8-bit grey channel
// at one time point shown as it is keeps no Stack: its Samples are the planes.
VolumeData ShowHyperstack(imaging::Hyperstack&& stack);

// Gives a volume without a Stack (one 8-bit grey channel) one made from its Samples, so that
// its display settings can change.
void KeepStack(VolumeData& v);

// Samples (and IsGrey, ChannelMeans) again from Stack through Display; Stack must be set.
void ShowChannels(VolumeData& v);

}  // namespace lumetrix
