#pragma once
// Bare libtiff decoding, the floor the benchmarks measure the program's readers against.

#include <tiffio.h>

#include <cstdint>

namespace lumetrix::bench {

// Decodes every strip of the current page and of all pages after it into `flat`, one after
// another; the number of pages read.
int ReadAllStrips(TIFF* tif, uint8_t* flat);

}  // namespace lumetrix::bench
