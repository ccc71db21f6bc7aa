#pragma once
// Writes the current image as a TIFF page: 8-bit grey when the image is grey, otherwise 24-bit
// RGB, LZW compressed. A new file is written under a temporary name and renamed; an appended
// page goes to the end of the existing file, whose pages stay readable if the append fails.

#include <string>

#include "imaging/image_data.h"

namespace lumetrix::imaging::detail {

void WriteTiffPage(const std::string& path, const Image& image, bool append);

}  // namespace lumetrix::imaging::detail
