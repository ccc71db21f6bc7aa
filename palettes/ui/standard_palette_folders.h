#pragma once
// The palette folders of an installed or a freshly built program: the bundled palettes
// (read-only once installed) and the user's own palette folder, where the editors save.

#include "palettes/palette_folders.h"

namespace lumetrix {

// bundled: DataFolder() + "/palettes" (<prefix>/share/lumetrix/palettes beside the program's bin/). writable: the per-user application data folder + "/palettes"
// (not created here; saving creates it). Needs a QCoreApplication.
palettes::PaletteFolders StandardPaletteFolders();

}  // namespace lumetrix
