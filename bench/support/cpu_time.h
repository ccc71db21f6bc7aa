#pragma once
// CPU clocks: on a loaded machine wall-clock time says little, and the CPU a piece of work takes
// is about what it would take on an idle one.

namespace lumetrix::bench {

// CPU seconds (user and system) of every thread of the process so far.
double ProcessCpuSeconds();
// CPU seconds of the calling thread so far.
double ThreadCpuSeconds();

}  // namespace lumetrix::bench
