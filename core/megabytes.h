#pragma once
// A size for messages in whole megabytes, rounded up ("3 MB" for 2.1 MB), so that what a file
// needs is never understated.

#include <cstdint>
#include <string>

namespace lumetrix {

inline std::string Megabytes(uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB"; }

}  // namespace lumetrix
