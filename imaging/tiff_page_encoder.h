#pragma once
// One TIFF page compressed on its own, away from the file it goes into, so that pages can be
// compressed on several threads and written in order as raw strips.

#include <cstdint>
#include <vector>

#include "imaging/image_data.h"

typedef struct tiff TIFF;

namespace lumetrix::imaging::detail {

struct EncodedPage {
  uint32_t width = 0, height = 0;
  bool grey = true;
  uint32_t rows_per_strip = 1;
  std::vector<std::vector<uint8_t>> strips;  // LZW-compressed
  uint64_t Bytes() const;
};

// The rows of about 64 KB per strip that every page is written with.
uint32_t RowsPerStrip(uint32_t width, uint32_t height, bool grey);
// The tags of a page: 8-bit grey or RGB, LZW, the given rows per strip.
void SetPageTags(TIFF* tif, uint32_t width, uint32_t height, bool grey, uint32_t rows_per_strip);
// The strip of `rows` rows from `src` as the file stores it (RGB from the image's BGR).
void StripBytes(const Image& image, uint32_t row0, uint32_t rows, std::vector<uint8_t>& strip);

// Compresses the page (a palette image as RGB) with TIFF's LZW; safe on any thread.
EncodedPage EncodePage(const Image& image);

}  // namespace lumetrix::imaging::detail
