#pragma once
// The few parts of OME-XML (in the first page's ImageDescription) that say how the pages form
// a hyperstack: sizes, dimension order, physical voxel size, channel names and colours.
// A small bounded scanner, not a general XML parser: it reads the attributes of the first
// Pixels element and of the Channel elements inside it.

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

struct OmeDescription {
  long size_x = 0, size_y = 0, size_c = 0, size_z = 0, size_t = 0;  // -1: unreadable or negative
  std::string dimension_order;                                     // "XYCZT", "XYZCT", ...
  double physical[3] = {0, 0, 0};                                  // X, Y, Z; 0: not given, -1: impossible
  std::string physical_unit[3];                                    // as written; default "µm"
  std::vector<OmeChannel> channels;
};

// Nothing unless the text holds an OME element with a Pixels element.
std::optional<OmeDescription> ParseOmeDescription(std::string_view text);

// Axis letters after "XY" of a valid order ("CZT" for "XYCZT"), fastest first; empty if the
// order is not a permutation of XYCZT starting with XY.
std::string PageAxes(std::string_view dimension_order);

}  // namespace lumetrix::imaging
