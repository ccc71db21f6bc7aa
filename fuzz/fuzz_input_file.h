#pragma once
// The readers of outside data read files: each fuzz input is written to one file per process.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace lumetrix::fuzz {

inline std::string InputFile(const uint8_t* data, size_t size, const char* extension) {
  const std::string path = "/tmp/lumetrix-fuzz-" + std::to_string(::getpid()) + extension;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace lumetrix::fuzz
