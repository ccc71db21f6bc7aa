#include "streaming/memory_budget.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace lumetrix::streaming {

MemoryBudget BudgetFor(MemoryBudget asked, uint64_t available) {
  constexpr uint64_t kMB = uint64_t{1} << 20;
  if (!asked.host) asked.host = std::clamp<uint64_t>(available / 4, 64 * kMB, 4096 * kMB);
  if (!asked.gpu) asked.gpu = std::clamp<uint64_t>(available / 8, 64 * kMB, 1024 * kMB);
  return asked;
}

std::string ReadMemoryOption(const std::string& text, uint64_t& bytes) {
  constexpr unsigned long long kLeast = 16, kMost = 16777216;
  const std::string problem = "--memory " + text + ": the memory budget must be a whole number of megabytes from " +
                              std::to_string(kLeast) + " to " + std::to_string(kMost) + ", for example 2048";
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return problem;
  errno = 0;
  const unsigned long long mb = std::strtoull(text.c_str(), nullptr, 10);
  if (errno || mb < kLeast || mb > kMost) return problem;
  bytes = uint64_t(mb) << 20;
  return {};
}

}  // namespace lumetrix::streaming
