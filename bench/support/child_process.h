#pragma once
// Runs another program (a peer the benchmarks compare against) and collects what it prints.

#include <string>
#include <vector>

namespace lumetrix::bench {

struct ChildResult {
  int ExitCode = -1;  // -1 when it could not start or was killed by a signal
  std::string Out;    // standard output
  std::string Err;    // standard error, or why it could not start
  long PeakKb = 0;    // the child's peak resident memory (ru_maxrss), in KiB
};

// Runs argv[0] (looked up in PATH) with the arguments, no shell between, and waits for its end.
ChildResult RunChild(const std::vector<std::string>& argv);

}  // namespace lumetrix::bench
