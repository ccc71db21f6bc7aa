#pragma once
// --series N (1-based): which series of a file with several (OME Images, pyramid levels, pages of
// other sizes) the commands open.

#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace lumetrix {

// The 0-based series of --series (0 without it), checked against every file in `volumes`;
// "" or the message naming the option, its value and what is wrong.
std::string ReadSeriesOption(const CommandLine& line, const std::vector<std::string>& volumes, int32_t& series);

}  // namespace lumetrix
