#pragma once
// Where the program finds its bundled data (palettes, the manual) and where it writes its own.
// An installed program's folder is read-only, so files the user makes go to a per-user folder.

#include <QString>
#include <QStringList>

namespace lumetrix {

// The read-only data folder shipped with the program ("data" in the source tree,
// share/lumetrix when installed); LUMETRIX_DATA_DIR overrides it.
QString BundledDataDir();
// The per-user data folder (created on demand).
QString UserDataDir();
// Palette folders in search order: the bundled one, then the user's writable one.
QStringList PaletteFolders();
QString WritablePaletteFolder();
// The manual's first page; empty when it cannot be found.
QString HelpIndexPath();

}  // namespace lumetrix
