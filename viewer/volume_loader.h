#pragma once
// Reads every page of a multi-page TIFF file into a VolumeData.

#include <cstdint>
#include <optional>
#include <string>

#include "imaging/image_box.h"
#include "core/progress_sink.h"
#include "viewer/volume_data.h"

namespace lumetrix {

struct VolumeLoadOptions {
  // Largest shown (8-bit) volume accepted, in bytes; 0: the file's samples and the shown volume
  // together must fit the memory available now.
  uint64_t MaxBytes = 0;
  // The series (0-based) of a TIFF file with several (imaging/tiff_series.h).
  int32_t Series = 0;
  // Bytes the host may hold of a volume larger than memory (streaming/memory_budget.h); 0: from
  // the memory available. A pyramid whose finest level needs more is streamed.
  uint64_t MemoryBudget = 0;
  // Bytes the cache of built pyramids may take; 0: its default.
  uint64_t PyramidCacheBound = 0;
  // A file without a pyramid that is not in the cache yet: a preview is read (every few planes)
  // and VolumeData::PyramidToBuild names the file, for the caller to build its pyramid in the
  // background. Otherwise the pyramid is built before the volume is returned.
  bool PreviewWhilePyramidBuilds = false;
};

// Reads a TIFF file's pages on all cores into channels, slices and time points as its metadata
// says (imaging/hyperstack_reader.h), and BMP or JPEG files through `image`, with progress
// ("Reading Image"). Returns the new volume, or nothing with `error` set to a sentence for the
// user that names the file; nothing else is changed. Pages must all have the size and colour
// kind of the first one.
std::optional<VolumeData> ReadVolume(const std::string& path, imaging::ImageBox& image,
                                     ProgressSink& progress, std::string& error,
                                     const VolumeLoadOptions& options = {});

// Physical memory of this computer in bytes (0 when unknown).
uint64_t PhysicalMemoryBytes();

}  // namespace lumetrix
