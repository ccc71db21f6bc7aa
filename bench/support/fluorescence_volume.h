#pragma once
// A fluorescence-like volume (beads and fibres, blurred, with shot and read noise), the same for
// the same arguments: what benchmarks read, draw and hand to other programs.

#include <cstdint>
#include <vector>

namespace lumetrix::bench {

// side x side x depth samples, x fastest, then rows, then pages; 8 bits (0..255) or 12 bits of
// counts (0..4095).
std::vector<uint16_t> FluorescenceCounts(int side, int depth, int bits);

}  // namespace lumetrix::bench
