#pragma once
// Where palette-related files live: the bundled data folder (read-only once installed) and the
// user's writable palette folder. The editors read from both and write only into the writable
// one, under names checked so that nothing can land outside it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumetrix::palettes {

inline constexpr const char* kChooseNameFirst = "Choose or type a name first";

struct PaletteFolders {
  std::filesystem::path bundled;
  std::filesystem::path writable;

  // Palette menu order: bundled palettes first, then the user's.
  std::vector<std::filesystem::path> SearchOrder() const { return {bundled, writable}; }
};

// Why name cannot be used for an editor's files, or nothing when it can. Refused: the empty
// name (kChooseNameFirst), names of dots only, path separators, characters a file name cannot
// hold on Linux or Windows (control characters and : * ? " < > |), a trailing space or dot, and
// names too long for a file name.
std::optional<std::string> CheckPaletteName(std::string_view name);

// Names (without ext) of the files of both folders ending in ext, sorted, each once.
std::vector<std::string> ListPaletteNames(const PaletteFolders& folders, std::string_view ext);

// The file name + ext to load: the writable folder's copy if there is one, else the bundled
// one; nothing when neither exists or the name is refused.
std::optional<std::filesystem::path> FindPaletteFile(const PaletteFolders& folders, std::string_view name,
                                                     std::string_view ext);

// writable / (name + ext), creating the writable folder if needed. Throws PaletteError when the
// name is refused, no writable folder is set or it cannot be created.
std::filesystem::path WritablePaletteFile(const PaletteFolders& folders, std::string_view name,
                                          std::string_view ext);

}  // namespace lumetrix::palettes
