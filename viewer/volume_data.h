#pragma once
// The opened stack in memory: 8-bit voxels with the page index varying fastest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/hyperstack.h"
#include "streaming/brick_source.h"
#include "viewer/channel_display.h"
#include "core/sample_buffer.h"

namespace lumetrix {

struct VolumeData {
  std::string FilePath;
  int32_t Width = 0;   // pixels per row of a page
  int32_t Height = 0;  // rows per page
  int32_t Depth = 0;   // pages
  bool IsGrey = false;
  // grey: (p, x, y) at p + D*(x + W*y); colour: (p, x, y, c) at p + D*(x + W*(y + H*c)),
  // c = 0 red, 1 green, 2 blue.
  SampleBuffer Samples;

  // The file as it is, beside the 8-bit view above: channels (1..8, RGB files 3), time points,
  // the stored depth of a channel, and the voxel size (0 = unknown) with its unit. Samples show
  // the channels through Display.
  int32_t FileChannels = 1;
  int32_t TimePoints = 1;
  int ChannelBits = 8;
  imaging::StoredValues Values;  // the file's sample type; Display's ranges are in its stored values
  bool IsRgb = false;
  double Voxel[3] = {0, 0, 0};
  std::string VoxelUnit;
  std::string Note;  // why the file's metadata was not followed; empty otherwise
  // Files of channels other than grey or RGB: mean displayed 8-bit value of each channel at
  // time point 1.
  std::vector<double> ChannelMeans;
  // Every channel and time point at its stored depth; not kept for one 8-bit channel and time
  // point, which Samples hold whole.
  std::shared_ptr<const imaging::Hyperstack> Stack;
  // How the channels of Stack are shown in Samples (one grey identity channel when unset).
  DisplaySettings Display;
  // A volume larger than memory: its pyramid, from which the ray caster loads the bricks a view
  // needs; the samples above then hold one of its coarser levels (for the slice stacks, the
  // histograms and everything else). Null for volumes read whole.
  std::shared_ptr<const streaming::BrickSource> Pyramid;
  // A preview of a file whose pyramid is still to be built (VolumeLoadOptions::
  // PreviewWhilePyramidBuilds): the file, empty otherwise.
  std::string PyramidToBuild;
  int32_t PyramidSeries = 0;
  // The file's voxels along x, y, z (its finest level's) when the samples above are a coarser
  // view of it (a streamed pyramid, a preview); zeros otherwise. The crop box and the clipping
  // plane count these, so that a view means the same part of the file whatever level is held.
  std::array<int32_t, 3> FileVoxels{0, 0, 0};
  std::array<int32_t, 3> ViewVoxels() const {
    if (FileVoxels[0] > 0 && FileVoxels[1] > 0 && FileVoxels[2] > 0) return FileVoxels;
    return {Width, Height, Depth};
  }

  int Channels() const { return IsGrey ? 1 : 3; }
  size_t Index(int32_t p, int32_t x, int32_t y, int c = 0) const {
    return static_cast<size_t>(p) +
           static_cast<size_t>(Depth) *
               (static_cast<size_t>(x) +
                static_cast<size_t>(Width) * (static_cast<size_t>(y) + static_cast<size_t>(Height) * c));
  }
  uint8_t At(int32_t p, int32_t x, int32_t y, int c = 0) const { return Samples[Index(p, x, y, c)]; }
  bool Empty() const { return Samples.empty(); }
};

}  // namespace lumetrix
