#pragma once
// The few parts of OME-XML (in the first page's ImageDescription) that say how the pages form
// a hyperstack: sizes, dimension order, physical voxel size, channel names and colours.
// A small bounded scanner, not a general XML parser: it reads the attributes of each Image's
// Pixels element and of the Channel and TiffData elements inside it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumetrix::imaging {

struct OmeChannel {
  std::string name;
  bool has_colour = false;
  uint32_t rgba = 0;        // OME's signed 32-bit RGBA, as unsigned
  long samples_per_pixel = 1;
};

// Which TIFF pages hold which planes: PlaneCount pages from IFD on, in dimension order from
// (FirstC, FirstZ, FirstT). -1: the attribute is absent.
struct OmeTiffData {
  long ifd = -1, plane_count = -1, first_c = -1, first_z = -1, first_t = -1;
  int32_t file = -1;  // index into OmeDescription::files; -1: the file holding the metadata
};

struct OmeDescription {
  std::string name;  // the Image's Name
  long size_x = 0, size_y = 0, size_c = 0, size_z = 0, size_t = 0;  // -1: unreadable or negative
  std::string dimension_order;                                     // "XYCZT", "XYZCT", ...
  double physical[3] = {0, 0, 0};                                  // X, Y, Z; 0: not given, -1: impossible
  std::string physical_unit[3];                                    // as written; default "µm"
  std::vector<OmeChannel> channels;
  std::vector<OmeTiffData> tiff_data;  // at most kMaxTiffData
  std::vector<std::string> files;      // UUID FileName values, each once, at most kMaxSetFiles
  bool too_many_tiff_data = false;     // more TiffData elements or files than are read
};

inline constexpr size_t kMaxTiffData = size_t{1} << 20;
inline constexpr size_t kMaxSetFiles = 1024;
inline constexpr size_t kMaxOmeImages = 4096;
// Planes of one image at most: OME metadata describing more is not followed (its plane map of
// 16 bytes a plane stays within 16 MB).
inline constexpr int64_t kMaxOmePlanes = int64_t{1} << 20;

// Nothing unless the text holds an OME element with a Pixels element. The first image.
std::optional<OmeDescription> ParseOmeDescription(std::string_view text);
// Every Image with a Pixels element (at most kMaxOmeImages), in document order; empty unless
// the text holds an OME element.
std::vector<OmeDescription> ParseOmeImages(std::string_view text);
// The MetadataFile of a BinaryOnly element: a file of a set whose metadata is kept elsewhere.
std::string OmeMetadataFile(std::string_view text);

// Axis letters after "XY" of a valid order ("CZT" for "XYCZT"), fastest first; empty if the
// order is not a permutation of XYCZT starting with XY.
std::string PageAxes(std::string_view dimension_order);

}  // namespace lumetrix::imaging
