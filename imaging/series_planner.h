#pragma once
// Finds the series of a TIFF file and plans the pages of one: OME Images with their plane maps
// (imaging/ome_plane_map.h) over the files of a set, pages of different sizes as series of
// their own, and pyramid levels (SubIFDs) of the first series.

#include <cstdint>

#include "imaging/hyperstack_reader.h"
#include "imaging/tiff_reader.h"

namespace lumetrix::imaging::detail {

// Fills plan.directories or plan.mapped, files, page_shape, layout, series and series_index,
// and sets file_size to the size of every file of the set. Throws ImageError naming the file.
void PlanSeries(TiffReader& reader, HyperstackPlan& plan, int32_t series);

}  // namespace lumetrix::imaging::detail
