#pragma once
// Whether a file is in use so that a movie must not be written over it.

#include <string>

namespace lumetrix::avi {

// True only when `path` is an existing regular file that cannot be opened for writing, or on
// which another process holds a record lock (fcntl, traditional or open-file-description) or
// another open of the file holds a flock lock. A missing file is not locked.
bool IsFileLocked(const std::string& path);

}  // namespace lumetrix::avi
