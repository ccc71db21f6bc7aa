#include "palettes/atomic_file.h"

#include "palettes/palette_error.h"
#include "core/staged_file.h"

namespace lumetrix::palettes {

void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  if (const std::string error = WriteFileStaged(path.string(), bytes); !error.empty()) throw PaletteError(error);
}

}  // namespace lumetrix::palettes
