// TiffReader::Chain: the directory chain with each page's size, for series and plane maps.
#include <algorithm>

#include "imaging/image_box.h"
#include "imaging/tiff_reader.h"

namespace lumetrix::imaging::detail {

std::vector<ChainPage> TiffReader::Chain() {
  TIFF* tif = tif_.get();
  messages_->Reset();
  current_ = -1;
  std::vector<ChainPage> chain;
  if (!TIFFSetDirectory(tif, 0)) throw ImageError(name_ + " cannot be read" + messages_->Reason());
  do {
    ChainPage page;
    page.directory = TIFFCurrentDirOffset(tif);
    uint32_t type = 0;
    page.reduced = TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &type) && (type & FILETYPE_REDUCEDIMAGE) != 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
    uint16_t samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    page.channels = samples >= 3 || photometric == PHOTOMETRIC_PALETTE ? 3 : 1;
    uint16_t count = 0;
    uint64_t* offsets = nullptr;
    if (TIFFGetField(tif, TIFFTAG_SUBIFD, &count, &offsets) && offsets) {
      page.sub_ifds.assign(offsets, offsets + std::min<size_t>(count, kMaxSubIfds));
    }
    chain.push_back(std::move(page));
  } while (TIFFReadDirectory(tif));
  if (!messages_->first_error.empty()) {
    throw ImageError(name_ + " is damaged after page " + std::to_string(chain.size()) + messages_->Reason());
  }
  return chain;
}

}  // namespace lumetrix::imaging::detail
