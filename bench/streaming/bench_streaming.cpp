// Volumes larger than memory, each benchmark beside its anchor in one run (see each file):
//   first_picture.cpp      time to the first frame, a streamed 2048x2048x1000 against 256x256x125
//   brick_throughput.cpp   brick read + upload against bare chunk decoding, one core each
//   flythrough_memory.cpp  peak resident memory of a scripted fly-through against the budget
#include "bench/drawing_bench_main.h"

int main(int argc, char** argv) { return lumetrix::bench::RunDrawingBenchmarks(argc, argv); }
