// Reading a 512 x 512 x 200 8-bit grey LZW stack through ImageBox (LoadPage + PixelBytes per
// page) beside a bare libtiff decode of the same strips, plus the resampler on slice sizes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/imaging/fluorescence_stack.h"
#include "bench/support/quiet_tiff.h"
#include "bench/support/strip_reading.h"
#include "imaging/image_box.h"
#include "imaging/resample.h"

namespace {

constexpr int kWidth = 512, kHeight = 512, kDepth = 200;

using lumetrix::bench::FluorescenceStack;
using lumetrix::bench::OpenTiffQuietly;
using lumetrix::bench::ReadAllStrips;

const FluorescenceStack& TheStack() {
  static FluorescenceStack stack(kDepth, 8);
  return stack;
}

void BareLibtiff(benchmark::State& state, const char* mode) {
  const std::string& path = TheStack().path();
  std::vector<uint8_t> flat(size_t(kWidth) * kHeight * kDepth);
  for (auto _ : state) {
    TIFF* tif = OpenTiffQuietly(path, mode);
    const int pages = ReadAllStrips(tif, flat.data());
    TIFFClose(tif);
    benchmark::DoNotOptimize(flat.data());
    if (pages != kDepth) state.SkipWithError("wrong page count");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * kDepth);
}

void BM_BareLibtiffRead(benchmark::State& state) { BareLibtiff(state, "rm"); }
void BM_BareLibtiffMapped(benchmark::State& state) { BareLibtiff(state, "r"); }

void BM_ImageBoxLoadPages(benchmark::State& state) {
  const std::string& path = TheStack().path();
  std::vector<uint8_t> flat(size_t(kWidth) * kHeight * kDepth);
  const bool copy = state.range(0) != 0;
  for (auto _ : state) {
    lumetrix::imaging::ImageBox box;
    const int32_t pages = box.CountPages(path);
    for (int16_t p = 0; p < pages; ++p) {
      if (!box.LoadPage(path, p)) state.SkipWithError(box.LastError().c_str());
      const std::vector<uint8_t>& px = box.PixelBytes();
      if (copy) {
        std::memcpy(flat.data() + size_t(p) * px.size(), px.data(), px.size());
      } else {
        benchmark::DoNotOptimize(px.data());
      }
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * kDepth);
}

void BM_ResampleSlice(benchmark::State& state) {
  // The texture builder's typical cases: YZ slices 512 x 200 to 512 x 667 (enlarge rows) and
  // XY pages 512 x 512 halved.
  const int w = 512, h = static_cast<int>(state.range(0)), nw = static_cast<int>(state.range(1)),
            nh = static_cast<int>(state.range(2));
  std::vector<uint8_t> src(size_t(w) * h * 3);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 31);
  for (auto _ : state) benchmark::DoNotOptimize(lumetrix::imaging::ResampleBgr(src.data(), w, h, nw, nh, 3));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

}  // namespace

BENCHMARK(BM_BareLibtiffRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BareLibtiffMapped)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ImageBoxLoadPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ResampleSlice)->Args({200, 512, 667})->Args({512, 256, 256})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
