#include "bench/support/grey_stack.h"

#include <stdexcept>
#include <vector>

#include "bench/support/quiet_tiff.h"

namespace lumetrix::bench {

void WriteGreyStack(const std::string& path, const GreyPage& format, int pages, const GreyRowFill& fill) {
  TIFF* tif = OpenTiffQuietly(path, "w");
  if (!tif) throw std::runtime_error("cannot write " + path);
  std::vector<uint8_t> row(size_t{format.width} * static_cast<size_t>(format.bits / 8));
  for (int page = 0; page < pages; ++page) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, format.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, format.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, format.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    if (format.compression != COMPRESSION_NONE) TIFFSetField(tif, TIFFTAG_COMPRESSION, format.compression);
    if (format.rows_per_strip > 0) TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, format.rows_per_strip);
    if (format.page_of_stack) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    if (page == 0 && !format.description.empty())
      TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, format.description.c_str());
    for (uint32_t y = 0; y < format.height; ++y) {
      fill(page, y, row.data());
      TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

}  // namespace lumetrix::bench
