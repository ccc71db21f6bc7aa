#pragma once
// Replacing a file so that a failure never leaves it half-written: the bytes go to a temporary
// file in the same folder, which is renamed over the target only after it was written in full.

#include <cstdint>
#include <filesystem>
#include <span>

namespace lumetrix::palettes {

// Throws PaletteError (with the path and the reason) when the file cannot be written; the
// previous file, if any, is then left as it was and no temporary file remains.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace lumetrix::palettes
