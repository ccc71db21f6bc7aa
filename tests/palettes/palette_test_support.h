#pragma once
// Files and folders for the palette tests; temporary folders and raw bytes are the shared ones.

#include <algorithm>
#include <fstream>
#include <string_view>

#include "tests/support/tiff_fixture.h"

namespace lumetrix::palettes::testing {

namespace fs = std::filesystem;
using test_support::ReadBytes;
using test_support::TempDir;
using test_support::WriteBytes;

// The curve file (.pl2) of the palette maker's default curves, byte for byte.
inline constexpr const char* kDefaultCurveFile =
    "3,3,3\r\n0,32,64,96,128,160,192,224,255\r\n0,32,64,96,128,160,192,224,255\r\n0,32,64,96,128,160,192,224,255\r\n"
    "255,255,255,255,255,255,255,255,255\r\n255,255,255,255,255,255,255,255,255\r\n255,255,255,255,255,255,255,255,255\r\n";

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

// Names of the entries of a folder (files and folders), sorted.
inline std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumetrix::palettes::testing
