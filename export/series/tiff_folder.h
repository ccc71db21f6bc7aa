#pragma once
// The TIFF files of one folder, as the file lists show them.

#include <string>
#include <vector>

namespace lumetrix::series {

// ".tif" or ".tiff" in any case: files copied from other systems often carry ".TIF".
bool IsTiffFileName(const std::string& name);

// Names (not paths) of the regular files in `folder` with a TIFF extension, in alphabetical
// order ignoring case. An unreadable or missing folder gives an empty list and, when `error` is
// given, the reason.
std::vector<std::string> ListTiffFiles(const std::string& folder, std::string* error = nullptr);

// Sorts names the way the lists show them: ignoring case, then byte by byte.
void SortNames(std::vector<std::string>& names);

// folder + "/" + name, without doubling a separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The part after the last '/'.
std::string BaseFileName(const std::string& path);

}  // namespace lumetrix::series
