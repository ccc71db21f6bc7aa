#pragma once
// One stored Zarr chunk decoded through Debian's libraries (libblosc, libzstd, zlib) into
// exactly the bytes its chunk shape takes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/zarr/zarr_metadata.h"

namespace lumetrix::imaging {

// Decodes `size` stored bytes into `out` (`out_size` bytes, the chunk's decoded size). Throws
// ImageError naming `where` ("chunk 0.1.2 of level 1 of cells.zarr") when the data is damaged
// or decodes to another size.
void DecodeZarrChunk(ZarrCodec codec, const uint8_t* data, size_t size, uint8_t* out, size_t out_size,
                     const std::string& where);

// The largest stored chunk that can hold `decoded` bytes (compressors add a little to data they
// cannot shrink); a larger file is refused unread.
uint64_t MaxStoredChunk(uint64_t decoded);

// The chunk's key: its grid position joined by the separator ("0.1.2" or "0/1/2").
std::string ZarrChunkKey(const std::vector<int64_t>& grid, char separator);

// The stored bytes of chunk file `path` into `raw`; false when there is no such file (a chunk
// never written: fill_value). A file larger than MaxStoredChunk(`decoded`) is refused unread.
// Throws ImageError naming `where` when the file cannot be read.
bool ReadZarrChunkFile(const std::string& path, uint64_t decoded, std::vector<uint8_t>& raw, const std::string& where);
// The same with `path` relative to the open folder `folder` (a file descriptor): a reader of many
// chunks of one folder spares the system walking the folder's whole path for each.
bool ReadZarrChunkFile(int folder, const std::string& path, uint64_t decoded, std::vector<uint8_t>& raw,
                       const std::string& where);

}  // namespace lumetrix::imaging
