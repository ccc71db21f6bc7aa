#pragma once
// The Leica series of one folder: which base names start a series in which channel, and the
// number of the last slice of each.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/series/leica_names.h"

namespace lumetrix::series {

struct SeriesRow {
  std::string BaseName;
  // The highest slice number present for each channel; nullopt where the folder holds no first
  // slice of this series in that channel. 0 means a series of one slice.
  std::array<std::optional<int32_t>, kLeicaChannels> LastSlice;

  bool HasChannel(int channel) const { return LastSlice.at(static_cast<size_t>(channel)).has_value(); }
  // The highest last slice over the channels marked in `channels` that hold this series;
  // nullopt when none does.
  std::optional<int32_t> LastSliceOver(const std::array<bool, kLeicaChannels>& channels) const;
};

class SeriesTable {
 public:
  // One row per series, in order of first appearance (channel 0's list, then the series only
  // channel 1 has, then those only channel 2 has).
  const std::vector<SeriesRow>& Rows() const { return rows_; }
  // The series of one channel in list order, as indices into Rows().
  const std::vector<size_t>& Channel(int channel) const { return channels_.at(static_cast<size_t>(channel)); }
  // The row of a base name, or nullopt.
  std::optional<size_t> RowOf(const std::string& base) const;
  bool empty() const { return rows_.empty(); }

 private:
  friend SeriesTable FindSeries(const std::vector<std::string>& names);
  std::vector<SeriesRow> rows_;
  std::array<std::vector<size_t>, kLeicaChannels> channels_;
};

// Finds the series among the file names of one folder (names only, in list order). A name that
// contains "_z000" and a channel tag starts a series of that channel; its last slice is the
// highest z for which base_zNNN_chCC.tif is among the names.
SeriesTable FindSeries(const std::vector<std::string>& names);

}  // namespace lumetrix::series
