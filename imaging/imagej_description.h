#pragma once
// The key=value text that ImageJ writes into the first page's ImageDescription.

#include <optional>
#include <string>
#include <string_view>

namespace lumetrix::imaging {

struct ImageJDescription {
  long images = 0;    // 0: not given
  long channels = 0;
  long slices = 0;
  long frames = 0;
  bool hyperstack = false;
  double spacing = 0;  // Z step in `unit`; 0: not given
  std::string unit;    // as written ("micron", "um", "\u00B5m" ...); see NormalisedUnit
  bool has_range = false;
  double min = 0, max = 0;
};

// Nothing unless the text starts with "ImageJ=". Unknown keys and unreadable values are
// skipped; numbers out of range become -1 so that the caller can call them impossible.
std::optional<ImageJDescription> ParseImageJDescription(std::string_view text);

// "micron", "microns", "um", "\u00B5m" and "µm" become "µm"; "nm", "mm", "cm", "m" and
// "pixel"/"pixels" stay; anything else is empty (not a length unit we trust).
std::string NormalisedUnit(std::string_view unit);

}  // namespace lumetrix::imaging
