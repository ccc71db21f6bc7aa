#pragma once
// Windows bitmap files, our own code: reads 1/4/8-bit palette (plain, RLE8, RLE4), 16, 24 and
// 32-bit files, bottom-up or top-down; writes 24-bit files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/image_data.h"

namespace lumetrix::imaging::detail {

// Decodes a whole BMP file held in memory; `name` is used in messages. Throws ImageError.
void DecodeBmp(const uint8_t* data, size_t size, const std::string& name, Image& out);
void ReadBmpFile(const std::string& path, Image& out);

// A 24-bit bottom-up BMP with 54-byte headers and rows padded to 4 bytes.
std::vector<uint8_t> EncodeBmp24(const Image& image);
void WriteBmpFile(const std::string& path, const Image& image);

// Reads a whole file (at most `limit` bytes) for the in-memory decoders.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t limit);

}  // namespace lumetrix::imaging::detail
