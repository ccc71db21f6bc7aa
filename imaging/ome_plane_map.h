#pragma once
// Which TIFF page holds each plane of an OME image, from its TiffData elements (IFD,
// PlaneCount, FirstC/FirstZ/FirstT, UUID FileName) with the defaults of the OME-TIFF format:
// IFD 0, First* 0, PlaneCount 1 when IFD is given and else every page of the file. Planes no
// element names stay blank.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/hyperstack_layout.h"
#include "imaging/ome_description.h"

namespace lumetrix::imaging {

// A plane's page: directory `ifd` (0-based, in the whole chain) of file `file` (0: the file
// holding the metadata, k: the image's files[k - 1]); file -1: blank.
struct PlaneSource {
  int32_t file = -1;
  int64_t ifd = -1;
};

// The page of every plane, by its index in `layout`'s page order (PageOf). `pages_per_file`
// gives how many directories each file holds (-1: missing), `first_ifd` where an image
// without TiffData elements starts (the planes of the images before it). `problem` is set,
// and nothing returned, when the elements ask for more work than any real file needs.
std::vector<PlaneSource> MapOmePlanes(const OmeDescription& image, const HyperstackLayout& layout, int page_channels,
                                      int64_t first_ifd, const std::vector<int64_t>& pages_per_file,
                                      std::string& problem);

}  // namespace lumetrix::imaging
