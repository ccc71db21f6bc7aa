#pragma once
// The general series import: page 0 of each file, in list order, becomes one 24-bit page of a
// new multi-page TIFF file.

#include <string>
#include <vector>

#include "export/series/conversion_result.h"

namespace lumetrix::series {

// Joins `sources` (paths; a path may come more than once) into `destination`. Refused, with
// nothing written: no sources, a destination that is one of them, a file that cannot be read,
// pages of differing sizes. The destination is only replaced once every page is written.
ConversionResult JoinTiffSeries(const std::vector<std::string>& sources, const std::string& destination,
                                ProgressSink* progress = nullptr);

}  // namespace lumetrix::series
