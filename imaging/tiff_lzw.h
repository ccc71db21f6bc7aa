#pragma once
// TIFF's LZW compression of one strip (codes of 9 to 12 bits, most significant bit first, the
// code width growing one code early as TIFF readers expect, a clear code when the table is
// full). A direct child table instead of hashing keeps it fast; one encoder per thread.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumetrix::imaging::detail {

class TiffLzwEncoder {
 public:
  TiffLzwEncoder();
  // Replaces `out` with the strip's compressed bytes.
  void Encode(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

 private:
  void Reset();

  std::vector<uint16_t> child_;  // (code << 8 | byte) -> code + 1; 0: none
  std::vector<uint32_t> used_;   // the slots set since the last reset
};

}  // namespace lumetrix::imaging::detail
