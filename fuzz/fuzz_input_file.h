#pragma once
// The readers of outside data read files: each fuzz input is written to a private file of this
// process (mkstemps in $TMPDIR, mode 0600), made once per extension and removed at exit.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace lumetrix::fuzz {

inline std::string PrivateFile(const std::string& extension) {
  static std::map<std::string, std::string> made;
  if (auto it = made.find(extension); it != made.end()) return it->second;
  std::string path = (std::filesystem::temp_directory_path() / ("lumetrix-fuzz-XXXXXX" + extension)).string();
  const int fd = ::mkstemps(path.data(), static_cast<int>(extension.size()));
  if (fd < 0) std::abort();  // no input file, no fuzzing: stop loudly
  ::close(fd);
  if (made.empty())
    std::atexit([] {
      for (const auto& [ext, file] : made) ::unlink(file.c_str());
    });
  return made.emplace(extension, path).first->second;
}

inline std::string InputFile(const uint8_t* data, size_t size, const char* extension) {
  const std::string path = PrivateFile(extension);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace lumetrix::fuzz
