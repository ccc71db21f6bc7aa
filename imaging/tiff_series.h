#pragma once
// The series of a TIFF file (several OME Images, pages of different sizes, pyramid levels) and
// where the pages of the chosen one are.

#include <cstdint>
#include <string>
#include <vector>

namespace lumetrix::imaging {

struct SeriesSummary {
  int32_t width = 0, height = 0, slices = 1, channels = 1, frames = 1;
  std::string name;      // the OME Image's Name; empty when none
  bool reduced = false;  // a smaller copy of another series: pyramid level, thumbnail, overview page
};

// The page holding a plane: directory `directory` of file `file` (an index into the plan's
// files); file -1: no page, the plane is blank.
struct MappedPage {
  int32_t file = -1;
  uint64_t directory = 0;
};

// The series of a file (empty when it holds one, is not a TIFF file or cannot be read: the
// reading itself says why). imaging/series_planner.cpp
std::vector<SeriesSummary> ListSeries(const std::string& path);

// "series 2: 32x24x1 2ch \"overview\"", as --info lists it (number 1-based).
std::string SeriesLine(int32_t number, const SeriesSummary& s);

}  // namespace lumetrix::imaging
