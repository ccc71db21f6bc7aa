#pragma once
// The words of --palette (optimal, grey, web, best) and --dither (none, ordered, fs) that
// --avi2gif and --movie share.

#include <string>

#include "app/command_line.h"
#include "export/gif/reduction_options.h"

namespace lumetrix {

// Reads the options given into `reduction`, keeping its values for those not given; "" or the
// message for a word it does not know.
std::string ReadGifReduction(const CommandLine& line, gif::ReductionOptions& reduction);

}  // namespace lumetrix
