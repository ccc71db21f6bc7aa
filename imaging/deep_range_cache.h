#pragma once
// The minimum..maximum of the deep (more than 8-bit) samples of a file, remembered for the
// whole process by path and file identity: every page of a stack, read by any ImageBox, is
// scaled the same way, and the file is scanned only once.

#include <string>
#include <utility>

#include "imaging/file_probe.h"

namespace lumetrix::imaging::detail {

bool FindDeepRange(const std::string& path, const FileStamp& stamp, std::pair<double, double>& range);
void StoreDeepRange(const std::string& path, const FileStamp& stamp, std::pair<double, double> range);

}  // namespace lumetrix::imaging::detail
