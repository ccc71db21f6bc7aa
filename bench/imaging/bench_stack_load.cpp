// Opening a stack as the viewer does (ReadVolume: pages decoded on all cores, then the
// page-fastest 8-bit volume) beside a bare single-threaded libtiff decode of the same pages
// into one flat buffer: 512 x 512 x 200 8-bit LZW and 512 x 512 x 100 16-bit LZW.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/imaging/fluorescence_stack.h"
#include "bench/support/cpu_time.h"
#include "bench/support/quiet_tiff.h"
#include "bench/support/strip_reading.h"
#include "viewer/volume_loader.h"

namespace {

// The load's CPU over all cores is given beside the wall-clock time (all_threads_cpu_ms).
using lumetrix::bench::FluorescenceStack;
using lumetrix::bench::OpenTiffQuietly;
using lumetrix::bench::ProcessCpuSeconds;
using lumetrix::bench::ReadAllStrips;
constexpr int kSide = FluorescenceStack::kSide;

const FluorescenceStack& TheStack(int bits) {
  static FluorescenceStack eight(200, 8);
  static FluorescenceStack sixteen(100, 16);
  return bits == 8 ? eight : sixteen;
}

void BM_BareDecode(benchmark::State& state) {
  const FluorescenceStack& stack = TheStack(static_cast<int>(state.range(0)));
  std::vector<uint8_t> flat(static_cast<size_t>(stack.bytes()));
  const double cpu = ProcessCpuSeconds();
  for (auto _ : state) {
    TIFF* tif = OpenTiffQuietly(stack.path(), "rm");
    const int pages = ReadAllStrips(tif, flat.data());
    TIFFClose(tif);
    benchmark::DoNotOptimize(flat.data());
    if (pages != stack.depth()) state.SkipWithError("wrong page count");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * stack.bytes());
  state.counters["all_threads_cpu_ms"] = 1000 * (ProcessCpuSeconds() - cpu) / double(state.iterations());
}

void BM_ReadVolume(benchmark::State& state) {
  const FluorescenceStack& stack = TheStack(static_cast<int>(state.range(0)));
  const double cpu = ProcessCpuSeconds();
  for (auto _ : state) {
    lumetrix::imaging::ImageBox image;
    lumetrix::NullProgress progress;
    std::string error;
    auto v = lumetrix::ReadVolume(stack.path(), image, progress, error);
    if (!v) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(v->Samples.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * stack.bytes());
  state.counters["all_threads_cpu_ms"] = 1000 * (ProcessCpuSeconds() - cpu) / double(state.iterations());
}

}  // namespace

BENCHMARK(BM_BareDecode)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_ReadVolume)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

BENCHMARK_MAIN();
