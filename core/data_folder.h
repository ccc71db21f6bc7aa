#pragma once
// Where the program finds its read-only data (manual, palettes): beside its own binary, so an
// installed tree works under any prefix and no build path is compiled in.

#include <filesystem>
#include <string>

namespace lumetrix {

// LUMETRIX_DATA_DIR when it is set, else <programFolder>/../share/lumetrix: the installed layout
// (<prefix>/bin, <prefix>/share/lumetrix), which the build tree mirrors with a link to the source
// tree's data/. A LUMETRIX_DATA_DIR that names no folder is not passed over: DataFolderError
// says so.
std::filesystem::path DataFolder(const std::filesystem::path& programFolder);

// Why the data folder cannot be used, naming it and where its name came from; "" when it is a
// folder whose entries can be read. Checked at start by the window and by the commands that read
// palettes.
std::string DataFolderError(const std::filesystem::path& programFolder);

}  // namespace lumetrix
