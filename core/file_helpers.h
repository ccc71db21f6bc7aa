#pragma once
// File and path helpers used throughout the program. Paths are native (forward slashes).

#include <string>

namespace lumetrix {

// The system's temporary folder, ending with a separator so a file name can be appended.
std::string GetTempFolder();
// mkstemp: a new private file (mode 0600) named `pattern` with its trailing XXXXXX made unique,
// which `pattern` then holds. Returns its descriptor, or -1 with errno set.
int MakeUniqueFile(std::string& pattern);
// True for an existing path that is not a folder; any error gives false.
bool FileExists(const std::string& path);
// True for an existing folder; any error gives false.
bool FolderExists(const std::string& path);
// The text after the last separator (the whole path if it has none).
std::string FileNameOf(const std::string& path);
// True only when `path` is an existing regular file that cannot be opened for writing, or on
// which another process holds a record lock or another open of the file a flock lock. A missing
// file is not locked.
bool IsFileLocked(const std::string& path);
// The path with the separator appended unless it already ends with it.
std::string AppendSeparator(const std::string& path, char separator = '/');

}  // namespace lumetrix
