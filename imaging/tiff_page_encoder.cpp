#include "imaging/tiff_page_encoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "imaging/tiff_lzw.h"

namespace lumetrix::imaging::detail {

uint64_t EncodedPage::Bytes() const {
  uint64_t total = 0;
  for (const auto& s : strips) total += s.size();
  return total;
}

uint32_t RowsPerStrip(uint32_t width, uint32_t height, bool grey) {
  const size_t row_bytes = size_t{width} * (grey ? 1 : 3);
  return static_cast<uint32_t>(std::clamp<size_t>((64 * 1024) / row_bytes, 1, height));
}

void SetPageTags(TIFF* tif, uint32_t width, uint32_t height, bool grey, uint32_t rows_per_strip) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_SOFTWARE, "Lumetrix");
}

void StripBytes(const Image& image, uint32_t row0, uint32_t rows, std::vector<uint8_t>& strip) {
  const bool grey = image.kind == PixelKind::kGrey;
  const size_t row_bytes = static_cast<size_t>(image.width) * (grey ? 1 : 3);
  const uint8_t* src = image.pixels.data() + size_t{row0} * row_bytes;
  const size_t bytes = size_t{rows} * row_bytes;
  strip.resize(bytes);
  if (grey) {
    std::memcpy(strip.data(), src, bytes);
    return;
  }
  for (size_t i = 0; i < bytes; i += 3) {
    strip[i] = src[i + 2];
    strip[i + 1] = src[i + 1];
    strip[i + 2] = src[i];
  }
}


EncodedPage EncodePage(const Image& source) {
  Image colour;
  const Image* image = &WithoutPalette(source, colour);
  EncodedPage page;
  page.width = static_cast<uint32_t>(image->width);
  page.height = static_cast<uint32_t>(image->height);
  page.grey = image->kind == PixelKind::kGrey;
  page.rows_per_strip = RowsPerStrip(page.width, page.height, page.grey);
  thread_local TiffLzwEncoder encoder;
  std::vector<uint8_t> strip;
  const uint32_t count = (page.height + page.rows_per_strip - 1) / page.rows_per_strip;
  page.strips.resize(count);
  for (uint32_t s = 0; s < count; ++s) {
    const uint32_t row0 = s * page.rows_per_strip;
    StripBytes(*image, row0, std::min(page.rows_per_strip, page.height - row0), strip);
    encoder.Encode(strip.data(), strip.size(), page.strips[s]);
  }
  return page;
}

}  // namespace lumetrix::imaging::detail
