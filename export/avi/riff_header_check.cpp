#include "export/avi/riff_header_check.h"

#include <cstring>
#include <fstream>

namespace lumetrix::avi {
namespace {

uint32_t Le32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

}  // namespace

std::string AviHeaderProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char riff[12];
  if (!in.read(riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "AVI ", 4) != 0) return {};
  in.seekg(0, std::ios::end);
  const auto fileSize = static_cast<uint64_t>(in.tellg());
  // Walk the header as the demuxer does: into every list, chunk by chunk, up to the frame data.
  uint64_t at = sizeof riff;
  while (at + 8 <= fileSize) {
    char head[12];
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.read(head, 8)) return {};
    const uint64_t size = Le32(head + 4);
    if (std::memcmp(head, "LIST", 4) == 0) {
      if (at + 12 > fileSize || !in.read(head + 8, 4)) return {};
      if (std::memcmp(head + 8, "movi", 4) == 0) return {};
      at += 12;
      continue;
    }
    if (std::memcmp(head, "idx1", 4) == 0) return {};
    if (at + 8 + size > fileSize) return "a header chunk runs past the end of the file";
    at += 8 + size + (size & 1);
  }
  return {};
}

}  // namespace lumetrix::avi
