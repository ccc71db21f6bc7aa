#pragma once
// Listing the palette-related files of a folder. Folder listings come back in arbitrary order
// on Linux, so files are sorted by name (ignoring ASCII case, then byte order), and extensions
// match ignoring case ("Fire.PAL" is a palette file too).

#include <filesystem>
#include <string_view>
#include <vector>

namespace lumetrix::palettes {

// True when name ends in ext (".pal") ignoring ASCII case and has at least one character before it.
bool HasExtensionIgnoringCase(std::string_view name, std::string_view ext);

// Regular files (or links to them) of folder whose names end in ext, sorted. A missing or
// unreadable folder gives an empty list; never throws.
std::vector<std::filesystem::path> ListFilesWithExtension(const std::filesystem::path& folder,
                                                          std::string_view ext);

// The sort order used for listings.
bool FileNameLess(std::string_view a, std::string_view b);

}  // namespace lumetrix::palettes
