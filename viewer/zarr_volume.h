#pragma once
// Opening an OME-Zarr folder as a volume: the finest level that fits the memory, read on all
// cores (imaging/zarr/zarr_reader.h) and shown like any hyperstack.

#include <optional>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "viewer/volume_data.h"
#include "viewer/volume_loader.h"

namespace lumetrix {

// Reads the finest level whose samples and shown volume fit `options.MaxBytes` (the shown
// 8-bit volume) or, without it, the memory available now. When a coarser level is shown the
// volume's Note says which ("level 2 of 4 (256x256x25) shown: the finest that fits the memory").
// Nothing with `error` set to a sentence naming the folder when no level fits or one cannot be
// read.
std::optional<VolumeData> ReadZarrVolume(const std::string& path, ProgressSink& progress, std::string& error,
                                         const VolumeLoadOptions& options);

// One line per level of an OME-Zarr folder ("level 2 of 3: 512x512x50 2ch, blosc zstd (shown)"),
// the level of `shown`'s size marked; nothing for other paths.
std::vector<std::string> ZarrLevelLines(const std::string& path, const VolumeData& shown);

// An existing file, or an OME-Zarr folder: what the open commands accept.
bool VolumePathExists(const std::string& path);

}  // namespace lumetrix
