#include "bench/support/strip_reading.h"

namespace lumetrix::bench {

int ReadAllStrips(TIFF* tif, uint8_t* flat) {
  int pages = 0;
  do {
    const tstrip_t strips = TIFFNumberOfStrips(tif);
    for (tstrip_t s = 0; s < strips; ++s) flat += TIFFReadEncodedStrip(tif, s, flat, -1);
    ++pages;
  } while (TIFFReadDirectory(tif));
  return pages;
}

}  // namespace lumetrix::bench
