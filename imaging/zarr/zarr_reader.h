#pragma once
// Reads an OME-Zarr image (a folder NAME.zarr, NGFF 0.4 on Zarr format 2) into a Hyperstack:
// the metadata of every level first (cheap, so that the caller can choose the level that fits
// the memory), then one level's chunks decoded on all cores with progress and Cancel.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "imaging/hyperstack.h"
#include "imaging/zarr/zarr_metadata.h"

namespace lumetrix::imaging {

// True for a folder holding an OME-Zarr group (.zattrs or .zgroup), for such a folder whose
// name ends in ".zarr", and for the .zattrs or .zgroup file inside one.
bool IsZarrPath(const std::string& path);
// The group's folder for any path IsZarrPath accepts (the .zattrs file's folder).
std::string ZarrFolderOf(const std::string& path);

struct ZarrLevel {
  std::string folder;  // inside the group's folder
  ZarrArrayMeta array;
  int32_t width = 1, height = 1, slices = 1, channels = 1, frames = 1;
  double voxel[3] = {0, 0, 0};
  uint64_t stored_bytes = 0;  // the chunk files present

  int Bits() const { return array.type == ZarrType::kUint8 ? 8 : 16; }
  uint64_t Samples() const { return array.Samples(); }
  uint64_t Bytes() const { return Samples() * uint64_t(Bits() / 8); }
  // Bytes allocated while reading: float samples pass through a buffer of their own.
  uint64_t PeakBytes() const { return Bytes() + (array.type == ZarrType::kFloat32 ? Samples() * 4 : 0); }
  std::string Size() const;  // "256x256x25", with " 2ch" and " 3t" when there are several
};

struct ZarrPlan {
  std::string folder, name;  // name: the folder's name, for messages
  ZarrImageMeta image;
  std::vector<ZarrLevel> levels;  // finest first
};

// Reads and checks the metadata of every level. Throws ImageError with a sentence naming the
// folder: not an OME-Zarr group, bad JSON, an unsupported type or compressor, a level outside
// the folder, levels that disagree with the axes, or a level declaring far more samples than its
// chunk files could hold (see kSmallFile and kMaxExpansion in hyperstack_reader.h). Without
// `whole_levels` (readers that read chunk by chunk) that last check is left out.
ZarrPlan PlanZarr(const std::string& path, bool whole_levels = true);

// Decodes every chunk of level `level` (0: finest); `threads` 0 means one per core. Missing
// chunks are fill_value. Progress "Reading Image", one step per chunk. Nothing when the
// progress sink asked to stop (`error` says so); throws ImageError when a chunk cannot be read
// and std::bad_alloc when memory runs out. `note` becomes the stack's note.
std::optional<Hyperstack> ReadZarrLevel(const ZarrPlan& plan, size_t level, ProgressSink& progress, std::string& error,
                                        const std::string& note = {}, unsigned threads = 0);

}  // namespace lumetrix::imaging
