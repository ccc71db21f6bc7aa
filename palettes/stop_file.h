#pragma once
// Gradient stop files (.plt), 92 bytes little-endian: twelve 32-bit colour values 0x00BBGGRR
// (slots 0..10 the stops, slot 11 spare), then eleven 32-bit border values (1 active, 0 not).

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

namespace lumetrix::palettes {

inline constexpr std::size_t kStopFileBytes = 92;
inline constexpr std::size_t kStopCount = 11;

struct StopFile {
  std::array<uint32_t, kStopCount + 1> colors{};
  std::array<uint32_t, kStopCount> borders{};

  friend bool operator==(const StopFile&, const StopFile&) = default;
};

std::array<uint8_t, kStopFileBytes> EncodeStopFile(const StopFile& stops);
// Throws PaletteError when fewer than 92 bytes are given; bytes after the 92nd are ignored.
StopFile DecodeStopFile(std::span<const uint8_t> bytes);

// Throws PaletteError (missing, unreadable, too short). Reads at most 92 bytes.
StopFile ReadStopFile(const std::filesystem::path& path);
// Through a temporary file and a rename. Throws PaletteError.
void WriteStopFile(const std::filesystem::path& path, const StopFile& stops);

}  // namespace lumetrix::palettes
