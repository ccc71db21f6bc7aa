#pragma once
// Palette files: the 1048-byte RIFF palette ("RIFF", 1040, "PAL ", "data", 1028, version 0x0300,
// 256 entries of red, green, blue, flags).

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "palettes/lut.h"

namespace lumetrix::palettes {

inline constexpr std::size_t kPalFileBytes = 1048;
inline constexpr std::size_t kPalHeaderBytes = 24;

// True when the first bytes of a file carry "PAL" at offsets 8..10. Only that is checked:
// the sizes, version, entry count and flags are ignored, as palette files of other programs
// differ in them.
bool HasPalSignature(std::span<const uint8_t> head);

// The table of a palette file (entry c = file entry c, reserved byte 1). Bytes missing at the
// end of a short file read as 0. Empty when the file is missing, unreadable, not a regular file
// or lacks the signature. Never reads more than 1048 bytes. Never throws.
std::optional<Lut> ReadPalFile(const std::filesystem::path& path);

// The 1048 bytes of a palette file for a table in Lut order (flags 0).
std::array<uint8_t, kPalFileBytes> EncodePalFile(const Lut& table);

// Writes the palette file through a temporary file and a rename, so a failure never leaves a
// half-written palette. Throws PaletteError.
void WritePalFile(const std::filesystem::path& path, const Lut& table);

}  // namespace lumetrix::palettes
