#pragma once
// libtiff without messages on standard error, for files the benchmarks make and read themselves.

#include <tiffio.h>

#include <string>

namespace lumetrix::bench {

// TIFFOpen with libtiff's warning and error messages silenced; null when the file cannot be opened.
TIFF* OpenTiffQuietly(const std::string& path, const char* mode);

}  // namespace lumetrix::bench
