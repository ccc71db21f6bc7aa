#pragma once
// The palette folders of an installed or a freshly built program: the bundled palettes
// (read-only once installed) and the user's own palette folder, where the editors save.

#include "palettes/palette_folders.h"

namespace lumetrix {

// bundled: <program folder>/../share/lumetrix/palettes, else <program folder>/palettes, else the
// source tree's data/palettes. writable: the per-user application data folder + "/palettes"
// (not created here; saving creates it). Needs a QCoreApplication.
palettes::PaletteFolders StandardPaletteFolders();

}  // namespace lumetrix
