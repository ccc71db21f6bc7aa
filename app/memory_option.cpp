#include "app/memory_option.h"

namespace lumetrix {

std::string ReadMemoryBudget(const CommandLine& line, streaming::MemoryBudget& budget) {
  budget = {};
  const auto text = line.Option("--memory");
  if (!text) return {};
  uint64_t bytes = 0;
  if (std::string problem = streaming::ReadMemoryOption(*text, bytes); !problem.empty()) return problem;
  budget = streaming::Halves(bytes);
  return {};
}

}  // namespace lumetrix
