#pragma once
// The resident memory of this process as the kernel counts it (VmRSS in /proc/self/status), in
// kilobytes; 0 where it cannot be read. For measurements of what a volume costs.

#include <fstream>
#include <string>

namespace lumetrix {

inline long ResidentKilobytes() {
  std::ifstream in("/proc/self/status");
  std::string key;
  long kb = 0;
  while (in >> key) {
    if (key == "VmRSS:" && in >> kb) return kb;
    std::getline(in, key);
  }
  return 0;
}

}  // namespace lumetrix
