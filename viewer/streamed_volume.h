#pragma once
// Opening a volume larger than memory from its pyramid (streaming/brick_source.h): one small
// level is read whole through the pyramid itself, for the first picture, the slice stacks and
// the histograms; the ray caster loads the rest brick by brick.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "imaging/hyperstack.h"
#include "streaming/brick_source.h"
#include "viewer/volume_data.h"

namespace lumetrix {

// The level read whole beside a streamed pyramid: at most 16 MB shown (256 x 256 x 256), so
// that the first picture comes as soon as a small volume's would.
inline constexpr uint64_t kStreamedBaseBytes = uint64_t{16} << 20;

// What the file says besides the samples: the finest level's voxel size, the channels' looks.
struct PyramidFacts {
  std::string path, name;
  double voxel[3] = {0, 0, 0};
  std::string unit;
  std::vector<imaging::ChannelLook> looks;
  std::string kind;  // how the samples are stored, for --info
};

// The finest level of `source` but its finest whose shown (8-bit) volume takes at most
// kStreamedBaseBytes (the coarsest when none does), read with progress ("Reading Image", one step per plane): the volume
// with Pyramid set and a note naming the level. Nothing, with `error` set, when the progress
// sink stopped it; throws imaging::ImageError when the pyramid cannot be read.
// `max_shown` (0: kStreamedBaseBytes) bounds the volume in memory further.
std::optional<VolumeData> OpenStreamedVolume(std::shared_ptr<const streaming::BrickSource> source,
                                             const PyramidFacts& facts, ProgressSink& progress, std::string& error,
                                             uint64_t max_shown = 0);
// The level OpenStreamedVolume reads, and the bytes a level takes shown (8-bit).
size_t StreamedLevel(const streaming::BrickSource& source, uint64_t max_shown = 0);
uint64_t ShownBytes(const streaming::BrickSource& source, size_t level);

// While the pyramid of a file without one is built: its only level read a plane in every f (f a
// power of two, the smallest that keeps the shown volume within kStreamedBaseBytes), each voxel
// the mean of f x f voxels of that plane. Pyramid is not set; the note says it is a preview.
// Nothing, with `error` set, when stopped; throws imaging::ImageError when the file cannot be read.
std::optional<VolumeData> OpenPyramidPreview(std::shared_ptr<const streaming::BrickSource> source,
                                             const PyramidFacts& facts, ProgressSink& progress, std::string& error);

// Decoded chunks or blocks a streamed pyramid keeps, out of the host budget (0: the automatic
// one): a quarter of it, at least 16 MB; the bricks take the rest (BrickBytesOfHost).
uint64_t PieceCacheBytes(uint64_t host_budget);
uint64_t BrickBytesOfHost(uint64_t host_budget);

}  // namespace lumetrix
