#pragma once
// The stack the imaging benchmarks read: 512 x 512 fluorescence-like pages (beads, fibres,
// noise) so that LZW sees realistic data, written once per process and removed at its end.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/fluorescence_volume.h"
#include "bench/support/grey_stack.h"
#include "bench/support/temp_folders.h"

namespace lumetrix::bench {

class FluorescenceStack {
 public:
  static constexpr int kSide = 512;

  // `depth` pages of 8 or 16 bits (12 bits of counts in 16), LZW in strips of 16 rows.
  FluorescenceStack(int depth, int bits)
      : depth_(depth), bits_(bits), folder_("lumetrix-bench-stack"), path_((folder_.path() / "stack.tif").string()) {
    const std::vector<uint16_t> counts = FluorescenceCounts(kSide, depth, bits);
    GreyPage format;
    format.width = format.height = kSide;
    format.bits = bits;
    format.compression = COMPRESSION_LZW;
    format.rows_per_strip = 16;
    WriteGreyStack(path_, format, depth, [&](int z, uint32_t y, uint8_t* row) {
      const uint16_t* c = counts.data() + (size_t(z) * kSide + y) * kSide;
      for (size_t x = 0; x < kSide; ++x) {
        if (bits == 8) row[x] = static_cast<uint8_t>(c[x]);
        else std::memcpy(row + 2 * x, c + x, 2);
      }
    });
  }
  FluorescenceStack(const FluorescenceStack&) = delete;
  FluorescenceStack& operator=(const FluorescenceStack&) = delete;

  const std::string& path() const { return path_; }
  int depth() const { return depth_; }
  int64_t bytes() const { return int64_t(kSide) * kSide * depth_ * (bits_ / 8); }

 private:
  int depth_, bits_;
  ScratchFolder folder_;
  std::string path_;
};

}  // namespace lumetrix::bench
