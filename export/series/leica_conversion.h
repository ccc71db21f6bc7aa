#pragma once
// Converts one Leica series (one single-page TIFF per slice and channel) into one multi-page
// 24-bit TIFF: page z holds slice z, its channels put into red, green and blue as chosen.

#include <array>
#include <cstdint>
#include <string>

#include "export/series/conversion_result.h"
#include "export/series/leica_names.h"
#include "export/series/series_table.h"

namespace lumetrix::series {

// For red, green and blue: the channel (0..2) feeding that colour, or kNoChannel for black.
inline constexpr int kNoChannel = -1;
using ColourSources = std::array<int, 3>;
inline constexpr ColourSources kDefaultColourSources{0, 1, 2};

struct LeicaConversion {
  std::string Folder;
  std::string BaseName;
  // Slices 0..LastSlice are converted; each becomes one page.
  int32_t LastSlice = 0;
  // Channels to read. A channel left out (or not named in Colours) is black in the output.
  std::array<bool, kLeicaChannels> Channels{true, true, true};
  ColourSources Colours = kDefaultColourSources;
  std::string Destination;
};

// The conversion of one row of a folder's table: the checked channels that hold this series,
// through the colour choices; slices up to the highest last slice among those channels.
LeicaConversion LeicaConversionFor(const SeriesRow& row, const std::string& folder,
                                   const std::array<bool, kLeicaChannels>& checked, const ColourSources& colours,
                                   const std::string& destination);

// A slice file that cannot be read is counted, reported in the result and black on its page;
// slices of differing sizes, a destination that is one of the slices, and a series none of
// whose slices can be read are refused with nothing written.
ConversionResult ConvertLeicaSeries(const LeicaConversion& job, ProgressSink* progress = nullptr);

}  // namespace lumetrix::series
