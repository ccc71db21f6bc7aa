// FlythroughMemory/big, FlythroughMemory/small: the program itself (`lumetrix --run flythrough.scp big.zarr --memory
// 512`) run as a child process: a script in mip mode that turns the view and flies towards the
// 2048 x 2048 x 1000 volume, drawing a frame per step (each waits for the bricks it needs). The
// child's peak resident memory (VmHWM, see RunChild) beside the budget: required at most the
// budget + 200 MB. The same script over the small 256 x 256 x 125 volume (read whole, nothing
// streamed) shows what the program takes besides the bricks. With a software driver the GPU half of the budget (the atlas) is host memory
// too, so the whole --memory figure is the anchor.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

#include "bench/streaming/streaming_volumes.h"
#include "bench/support/child_process.h"

namespace lumetrix {
namespace {

constexpr int kMemoryMb = 512, kAllowanceMb = 200, kFrames = 12;

// Turns by 20 degrees about y and 5 about x per frame while the eye comes from -3 to -1.35, near
// enough for the finest bricks wanted to fill the host budget.
std::string WriteScript() {
  const std::string path = bench::StreamingScratch() + "/flythrough.scp";
  std::ofstream out(path, std::ios::binary);
  out << "Sub Main\n"
         "  Call SetRenderMode(\"mip\")\n"
         "  For i = 0 To " << kFrames - 1 << "\n"
         "    Call SetYRot(i * 20)\n"
         "    Call SetXRot(10 + i * 5)\n"
         "    Call SetZ(-3 + i * 0.15)\n"
         "    DrawImage\n"
         "  Next\n"
         "End Sub\n";
  return path;
}

void FlythroughMemory(benchmark::State& state, bool big) {
  const bench::StreamingVolume& volume = big ? bench::BigSparseVolume() : bench::SmallDenseVolume();
  static const std::string script = WriteScript();  // once per run: never written over
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bench::ChildResult run =
        bench::RunChild({LUMETRIX_PROGRAM, "--run", script, volume.path, "--memory", std::to_string(kMemoryMb)});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    if (run.ExitCode != 0) {
      const std::string tail = run.Err.size() > 600 ? run.Err.substr(run.Err.size() - 600) : run.Err;
      return state.SkipWithError(("the fly-through failed (exit " + std::to_string(run.ExitCode) + "): " + tail).c_str());
    }
    state.counters["peak_MB"] = double(run.PeakKb) / 1024;
    state.counters["budget_MB"] = kMemoryMb;
    state.counters["limit_MB"] = kMemoryMb + kAllowanceMb;
    state.counters["frames"] = kFrames;
    state.counters["ms_per_frame"] = took.count() * 1e3 / kFrames;
  }
}

BENCHMARK_CAPTURE(FlythroughMemory, small, false)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FlythroughMemory, big, true)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumetrix
