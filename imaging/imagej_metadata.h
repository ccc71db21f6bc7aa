#pragma once
// ImageJ's binary IJMetadata tag (50839, with the byte counts of its parts in tag 50838): the
// display range and the lookup table of each channel of a hyperstack.

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace lumetrix::imaging {

struct ImageJChannelData {
  std::vector<std::pair<double, double>> ranges;   // min, max by channel
  std::vector<std::array<uint8_t, 768>> luts;       // 256 reds, 256 greens, 256 blues by channel
};

// Empty when the data is not IJMetadata or does not fit its byte counts; parts other than
// ranges and lookup tables are skipped.
ImageJChannelData ParseImageJMetadata(const uint32_t* counts, size_t count_entries, const uint8_t* data, size_t size);

}  // namespace lumetrix::imaging
