#pragma once
// How much memory a volume larger than memory may take: its bricks in host memory and on the
// graphics card. One figure (--memory, Preferences) is shared half and half; without one, each
// comes from the memory available.

#include <cstdint>
#include <string>

namespace lumetrix::streaming {

struct MemoryBudget {
  uint64_t host = 0, gpu = 0;  // bytes
  uint64_t Total() const { return host + gpu; }
};

// The budgets asked for (bytes; 0: automatic), the automatic ones from `available` bytes of free
// memory: a quarter of it for host bricks (at most 4 GB) and an eighth for the GPU (at most
// 1 GB), at least 64 MB each.
MemoryBudget BudgetFor(MemoryBudget asked, uint64_t available);
// One figure (--memory) shared half and half.
inline MemoryBudget Halves(uint64_t total) { return {total / 2, total - total / 2}; }

// Reads a --memory value: a whole number of megabytes from 16 to 16777216. Empty when fine, else
// the sentence for standard error.
std::string ReadMemoryOption(const std::string& text, uint64_t& bytes);

}  // namespace lumetrix::streaming
