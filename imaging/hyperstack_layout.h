#pragma once
// How the pages of a TIFF file form channels, slices and time points, and how large a voxel
// is, decided from the file's metadata (ImageJ description, OME-XML, resolution tags).
// Metadata that contradicts itself or the file falls back to one page per slice, with a note.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/imagej_description.h"
#include "imaging/imagej_metadata.h"
#include "imaging/ome_description.h"

namespace lumetrix::imaging {

inline constexpr int kMaxChannels = 8;

// What the file says about itself.
struct StackFacts {
  int64_t pages = 0;             // full-resolution pages (reduced-resolution ones not counted)
  int64_t width = 0, height = 0;  // of the first page
  int page_channels = 1;         // 3 for RGB pages, else 1
  std::string description;       // the first page's ImageDescription
  // The first page's data is uncompressed and contiguous, and the file holds this many more
  // pages of the same size right after it (ImageJ's layout for stacks over 4 GB).
  int64_t contiguous_pages = 0;
  double x_resolution = 0, y_resolution = 0;  // pixels per unit; 0 when absent
  int resolution_unit = 2;                    // TIFF: 1 none, 2 inch, 3 centimetre
  ImageJChannelData imagej_channels;          // display ranges and lookup tables
  size_t ome_image = 0;                       // which OME Image the layout is for
};

struct ChannelLook {
  std::string name;
  bool has_colour = false;
  uint8_t red = 0, green = 0, blue = 0;
  bool has_range = false;
  double min = 0, max = 0;
};

struct HyperstackLayout {
  int32_t page_groups = 1;  // channels stored in separate pages (C / page_channels)
  int32_t slices = 1;       // Z
  int32_t frames = 1;       // T
  std::string page_axes = "CZT";  // page order, fastest axis first
  bool pages_after_first_ifd = false;  // read pages 2.. from the contiguous data of page 1
  // An acquisition stopped early holds fewer pages than the layout uses: the planes of the pages
  // from here on are blank. -1: every page is there.
  int64_t pages_present = -1;
  // Voxel size (0: unknown) and its unit ("µm", "nm", "pixel"...; empty when unknown).
  double voxel[3] = {0, 0, 0};
  std::string unit;
  std::vector<ChannelLook> channels;  // by channel, when the file says anything about them
  std::string note;                   // why the metadata was not followed; empty otherwise

  // INT64_MAX when the counts multiply beyond it (metadata of a file no disk holds).
  int64_t PagesUsed() const;
  // The page (0-based, counting full-resolution pages) holding channel group g, slice z, time t.
  int64_t PageOf(int32_t g, int32_t z, int32_t t) const;
};

// OME images are laid out whatever pages the file holds (their plane maps say which pages
// are used, imaging/ome_plane_map.h); ImageJ and plain files use their pages in order.
HyperstackLayout ResolveLayout(const StackFacts& facts, const std::string& file_name);

}  // namespace lumetrix::imaging
