#pragma once
// JPEG files through libjpeg-turbo: grey and colour (also CMYK) read, grey and colour written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/image_data.h"

namespace lumetrix::imaging::detail {

// Throws ImageError; a file that ends before its last scan is reported as truncated.
void DecodeJpeg(const uint8_t* data, size_t size, const std::string& name, Image& out);
void ReadJpegFile(const std::string& path, Image& out);

// quality 1..100. Grey images give a one-channel JPEG; palette images are written as colour.
std::vector<uint8_t> EncodeJpeg(const Image& image, int quality);
void WriteJpegFile(const std::string& path, const Image& image, int quality);

}  // namespace lumetrix::imaging::detail
