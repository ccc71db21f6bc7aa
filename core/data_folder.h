#pragma once
// Where the program finds its read-only data (manual, palettes): beside its own binary, so an
// installed tree works under any prefix and no build path is compiled in.

#include <filesystem>

namespace lumetrix {

// LUMETRIX_DATA_DIR when it names a folder, else <programFolder>/../share/lumetrix: the
// installed layout (<prefix>/bin, <prefix>/share/lumetrix), which the build tree mirrors with a
// link to the source tree's data/.
std::filesystem::path DataFolder(const std::filesystem::path& programFolder);

}  // namespace lumetrix
