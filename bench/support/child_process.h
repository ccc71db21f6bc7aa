#pragma once
// Runs another program (a peer the benchmarks compare against) and collects what it prints.

#include <string>
#include <vector>

namespace lumetrix::bench {

struct ChildResult {
  int ExitCode = -1;  // -1 when it could not start or was killed by a signal
  std::string Out;    // standard output
  std::string Err;    // standard error, or why it could not start
  // The child's peak resident memory in KiB: its VmHWM, read every 10 ms while it runs (wait4's
  // ru_maxrss would count this process's own peak, which Linux carries across exec).
  long PeakKb = 0;
};

// Runs argv[0] (looked up in PATH) with the arguments, no shell between, and waits for its end.
ChildResult RunChild(const std::vector<std::string>& argv);

}  // namespace lumetrix::bench
