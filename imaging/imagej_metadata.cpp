#include "imaging/imagej_metadata.h"

#include <cstring>

namespace lumetrix::imaging {
namespace {

uint32_t Word(const uint8_t* p, bool big) {
  return big ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
             : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

double Double(const uint8_t* p, bool big) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= uint64_t(p[big ? i : 7 - i]) << (56 - 8 * i);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

constexpr uint32_t kRanges = 0x72616e67;  // "rang"
constexpr uint32_t kLuts = 0x6c757473;    // "luts"

}  // namespace

ImageJChannelData ParseImageJMetadata(const uint32_t* counts, size_t count_entries, const uint8_t* data, size_t size) {
  ImageJChannelData out;
  if (!counts || !data || count_entries < 1 || size < 4 || counts[0] < 4 || counts[0] > size) return out;
  bool big;
  if (std::memcmp(data, "IJIJ", 4) == 0) big = true;
  else if (std::memcmp(data, "JIJI", 4) == 0) big = false;
  else return out;
  const size_t types = (counts[0] - 4) / 8;
  size_t entry = 1;                // index into counts
  size_t offset = counts[0];       // where the entry's bytes start
  for (size_t k = 0; k < types; ++k) {
    const uint32_t type = Word(data + 4 + 8 * k, big);
    const uint32_t n = Word(data + 8 + 8 * k, big);
    for (uint32_t i = 0; i < n; ++i, ++entry) {
      if (entry >= count_entries || counts[entry] > size - offset) return {};
      const uint8_t* p = data + offset;
      const size_t bytes = counts[entry];
      if (type == kRanges) {
        for (size_t j = 0; j + 16 <= bytes && out.ranges.size() < 64; j += 16)
          out.ranges.emplace_back(Double(p + j, big), Double(p + j + 8, big));
      } else if (type == kLuts && bytes == 768 && out.luts.size() < 64) {
        out.luts.emplace_back();
        std::memcpy(out.luts.back().data(), p, 768);
      }
      offset += bytes;
    }
  }
  return out;
}

}  // namespace lumetrix::imaging
