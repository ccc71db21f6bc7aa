#pragma once
// Where the program finds its bundled data (the manual; palettes have their own folders).

#include <QString>

namespace lumetrix {

// The read-only data folder shipped with the program: <prefix>/share/lumetrix beside the binary's
// bin/ (see DataFolder); LUMETRIX_DATA_DIR overrides it.
QString BundledDataDir();
// The manual's first page; empty when it cannot be found.
QString HelpIndexPath();

}  // namespace lumetrix
