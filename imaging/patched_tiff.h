#pragma once
// Opens a TIFF file through libtiff with a few bytes of it read as others: how the reader mends
// the directories of writers that break the format in a known way (imaging/lsm_info.h) without
// writing to the file.

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumetrix::imaging::detail {

struct BytePatch {
  uint64_t offset = 0;
  uint8_t bytes[4] = {};
};

// Read-only, not mapped; nullptr when the file cannot be opened (libtiff's sink in `options` says why).
TIFF* OpenPatchedTiff(const std::string& path, std::vector<BytePatch> patches, TIFFOpenOptions* options);

}  // namespace lumetrix::imaging::detail
