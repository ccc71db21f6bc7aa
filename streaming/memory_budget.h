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

// `total` bytes shared out, or with 0 the defaults for `available` bytes of free memory: a
// quarter of it for host bricks (at most 4 GB) and an eighth for the GPU (at most 1 GB), at
// least 64 MB each.
MemoryBudget BudgetFor(uint64_t total, uint64_t available);

// Reads a --memory value: a whole number of megabytes from 16 to 16777216. Empty when fine, else
// the sentence for standard error.
std::string ReadMemoryOption(const std::string& text, uint64_t& bytes);

}  // namespace lumetrix::streaming
