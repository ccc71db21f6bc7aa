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
  // Largest volume accepted, in bytes; 0 means the computer's physical memory.
  uint64_t MaxBytes = 0;
};

// Reads the file page by page through `image`, with progress ("Reading Image"). Returns the new
// volume, or nothing with `error` set to a sentence for the user; nothing else is changed.
// Pages must all have the size and colour kind of the first one.
std::optional<VolumeData> ReadVolume(const std::string& path, imaging::ImageBox& image,
                                     ProgressSink& progress, std::string& error,
                                     const VolumeLoadOptions& options = {});

// Physical memory of this computer in bytes (0 when unknown).
uint64_t PhysicalMemoryBytes();

}  // namespace lumetrix
