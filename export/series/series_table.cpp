#include "export/series/series_table.h"

#include <algorithm>
#include <map>
#include <utility>

namespace lumetrix::series {

std::optional<int32_t> SeriesRow::LastSliceOver(const std::array<bool, kLeicaChannels>& channels) const {
  std::optional<int32_t> last;
  for (size_t c = 0; c < LastSlice.size(); ++c) {
    if (channels[c] && LastSlice[c]) last = std::max(last.value_or(0), *LastSlice[c]);
  }
  return last;
}

std::optional<size_t> SeriesTable::RowOf(const std::string& base) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].BaseName == base) return i;
  return std::nullopt;
}

SeriesTable FindSeries(const std::vector<std::string>& names) {
  // Highest slice number of every (base name, channel) present, from the exact slice names.
  std::map<std::pair<std::string, int>, int32_t> highest;
  for (const std::string& name : names) {
    if (auto slice = ParseSliceName(name)) {
      int32_t& z = highest[{slice->Base, slice->Channel}];
      z = std::max(z, slice->Z);
    }
  }
  SeriesTable table;
  for (int c = 0; c < kLeicaChannels; ++c) {
    auto& list = table.channels_[static_cast<size_t>(c)];
    for (const std::string& name : names) {
      if (!IsFirstSlice(name, c)) continue;
      const std::string base = LeicaBaseName(name, c);
      std::optional<size_t> row = table.RowOf(base);
      if (!row) {
        table.rows_.push_back(SeriesRow{base, {}});
        row = table.rows_.size() - 1;
      }
      // Two first-slice names can give one base name ("A_z000_ch00.tif", "A_z000_z000_ch00.tif"):
      // the series is listed once.
      if (std::find(list.begin(), list.end(), *row) != list.end()) continue;
      list.push_back(*row);
      const auto found = highest.find({base, c});
      table.rows_[*row].LastSlice[static_cast<size_t>(c)] = found == highest.end() ? 0 : found->second;
    }
  }
  return table;
}

}  // namespace lumetrix::series
