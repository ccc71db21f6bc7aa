#include "palettes/stop_file.h"

#include <cstdio>
#include <string>
#include <system_error>

#include "core/staged_file.h"
#include "palettes/palette_error.h"

namespace lumetrix::palettes {
namespace {

uint32_t Get32(std::span<const uint8_t> b, std::size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) | (uint32_t{b[at + 3]} << 24);
}

void Put32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::array<uint8_t, kStopFileBytes> EncodeStopFile(const StopFile& stops) {
  std::array<uint8_t, kStopFileBytes> out{};
  std::size_t at = 0;
  for (uint32_t c : stops.colors) Put32(out.data() + at, c), at += 4;
  for (uint32_t b : stops.borders) Put32(out.data() + at, b), at += 4;
  return out;
}

StopFile DecodeStopFile(std::span<const uint8_t> bytes) {
  if (bytes.size() < kStopFileBytes)
    throw PaletteError("This is not a gradient stop file: it holds " + std::to_string(bytes.size()) +
                       " bytes, a stop file has " + std::to_string(kStopFileBytes) + ".");
  StopFile stops;
  std::size_t at = 0;
  for (uint32_t& c : stops.colors) c = Get32(bytes, at), at += 4;
  for (uint32_t& b : stops.borders) b = Get32(bytes, at), at += 4;
  return stops;
}

StopFile ReadStopFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw PaletteError("The stop file " + path.string() + " does not exist.");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw PaletteError("Could not open the stop file " + path.string() + ".");
  std::array<uint8_t, kStopFileBytes> raw{};
  const std::size_t got = std::fread(raw.data(), 1, raw.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw PaletteError("Could not read the stop file " + path.string() + ".");
  try {
    return DecodeStopFile(std::span<const uint8_t>(raw.data(), got));
  } catch (const PaletteError&) {
    throw PaletteError(path.filename().string() + " is not a gradient stop file: it holds " + std::to_string(got) +
                       " bytes, a stop file has " + std::to_string(kStopFileBytes) + ".");
  }
}

void WriteStopFile(const std::filesystem::path& path, const StopFile& stops) {
  ThrowIfFailed(WriteFileStaged(path.string(), EncodeStopFile(stops)));
}

}  // namespace lumetrix::palettes
