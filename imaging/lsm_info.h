#pragma once
// Zeiss LSM files: TIFF files whose first page carries the private tag 34412 (CZ_LSMINFO), a
// little-endian structure giving the stack's dimensions, the voxel size in metres and where the
// channel colours are kept. The channels of a page are its samples (planar); every other page is
// a thumbnail (NewSubfileType 1) and is not part of the stack; pages run Z fastest, then time.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/hyperstack_layout.h"
#include "imaging/patched_tiff.h"

namespace lumetrix::imaging {

struct LsmInfo {
  int64_t width = 0, height = 0, slices = 0, channels = 0, frames = 0;
  double voxel_metres[3] = {0, 0, 0};      // X, Y, Z; 0 where not given
  std::vector<std::array<uint8_t, 3>> colours;  // red, green, blue by channel; empty when not stored
  std::vector<std::string> names;               // by channel, when stored
  std::string note;  // what of the structure was not followed (a damaged colour block)
};

// Reads `size` bytes at `offset` of the file; false when they are not all there.
using LsmFileReader = bool (*)(void* context, uint64_t offset, void* out, size_t size);

// The CZ_LSMINFO of the classic TIFF whose first directory is at `first_directory`; nothing when
// that page has no tag 34412. Throws ImageError naming `name` when the structure lies beyond
// the file or is not one.
std::optional<LsmInfo> ReadLsmInfo(LsmFileReader read, void* context, uint64_t file_size, uint64_t first_directory,
                                   const std::string& name);
// The same from a file on disk.
std::optional<LsmInfo> ReadLsmInfo(const std::string& path, uint64_t file_size, const std::string& name);

// Old LSM writers keep a BitsPerSample of two values at an offset of its own although they fit in
// the entry, which libtiff then reads as two different depths: where such entries' values are
// and the bytes they stand for. Empty for files that are not little-endian LSM files. Directories
// are followed while they lie further on in the file.
std::vector<detail::BytePatch> LsmBitsPerSamplePatches(const std::string& path, uint64_t file_size);

// The layout of an LSM stack whose first page is `page_width` x `page_height` with
// `page_samples` samples and whose file holds `pages` full-resolution pages. Throws ImageError
// when the structure disagrees with the pages.
HyperstackLayout LsmLayout(const LsmInfo& info, int64_t pages, int64_t page_width, int64_t page_height,
                           int page_samples, const std::string& name);

}  // namespace lumetrix::imaging
