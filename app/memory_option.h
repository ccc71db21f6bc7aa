#pragma once
// --memory MB: what the bricks of a volume larger than memory may take, half in host memory,
// half on the graphics card.

#include <string>

#include "app/command_line.h"
#include "streaming/memory_budget.h"

namespace lumetrix {

// The budget of --memory (automatic without it); "" or the message naming the option, its value
// and what is wrong.
std::string ReadMemoryBudget(const CommandLine& line, streaming::MemoryBudget& budget);

}  // namespace lumetrix
