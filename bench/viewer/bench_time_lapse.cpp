// Time-lapse playback, in one run:
//   Playback/Prefetched: a 256x256x40, 2-channel, 20 time point 16-bit volume drawn at 400x400;
//     each iteration shows the next time point (looping) and draws it, the one after it prepared
//     on worker threads meanwhile (PrepareTimePoint), so the switch only uploads.
//   Playback/Plain (the anchor): the same advance through SetTimePoint alone, which makes the
//     8-bit view and every slice of the time point when it is asked for.
// items_per_second is time points per second (real time: the workers run on other threads); the
// target is at least 5.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "bench/drawing_bench_main.h"
#include "bench/support/fluorescence_volume.h"
#include "bench/support/grey_stack.h"
#include "bench/support/temp_folders.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

constexpr int kSide = 256, kDepth = 40, kChannels = 2, kTimePoints = 20, kView = 400;

// The volume as an ImageJ hyperstack (pages in channel, slice, time order), in a folder of its
// own that goes at the end of the run. Each time point and channel shifts the same
// fluorescence-like counts, so every time point differs.
struct TimeLapseFile {
  bench::ScratchFolder folder{"lumetrix-bench-time-lapse"};
  std::string tiff = (folder.path() / "time_lapse.tif").string();

  TimeLapseFile() {
    const std::vector<uint16_t> counts = bench::FluorescenceCounts(kSide, kDepth, 12);
    bench::GreyPage format;
    format.width = format.height = kSide;
    format.bits = 16;
    format.page_of_stack = true;
    format.description = "ImageJ=1.54f\nimages=" + std::to_string(kChannels * kDepth * kTimePoints) +
                         "\nchannels=2\nslices=40\nframes=20\nhyperstack=true\nmode=composite\n";
    bench::WriteGreyStack(tiff, format, kChannels * kDepth * kTimePoints, [&](int page, uint32_t y, uint8_t* row) {
      const int c = page % kChannels, z = page / kChannels % kDepth, t = page / (kChannels * kDepth);
      auto* out = reinterpret_cast<uint16_t*>(row);
      for (int x = 0; x < kSide; ++x) {
        const int from = (x + 5 * t + 37 * c) % kSide;
        out[x] = static_cast<uint16_t>(counts[(size_t(z) * kSide + y) * kSide + size_t(from)] * (c + 1));
      }
    });
  }
};

const TimeLapseFile& File() {
  static const TimeLapseFile file;
  return file;
}

// One viewer for both benchmarks; it goes before the application object.
std::unique_ptr<OffscreenViewer>& SharedViewer() {
  static std::unique_ptr<OffscreenViewer> viewer;
  return viewer;
}

Viewer* ShownVolume(std::string& why) {
  auto& shown = SharedViewer();
  if (!shown) {
    auto made = std::make_unique<OffscreenViewer>();
    made->viewer.SetClientSize(kView, kView);
    if (!made->viewer.OpenImage(File().tiff, why)) return nullptr;
    made->viewer.ResizeGL(kView, kView);
    shown = std::move(made);
  }
  if (shown->viewer.TimePointCount() != kTimePoints) {
    why = "the volume has " + std::to_string(shown->viewer.TimePointCount()) + " time points";
    return nullptr;
  }
  return &shown->viewer;
}

int32_t After(int32_t t) { return t % kTimePoints + 1; }

void Playback(benchmark::State& state, bool prefetch) {
  std::string why;
  Viewer* viewer = ShownVolume(why);
  if (!viewer) return state.SkipWithError(why.c_str());
  viewer->SetTimePoint(1);
  viewer->DrawImage();
  if (prefetch) viewer->PrepareTimePoint(2);
  using Clock = std::chrono::steady_clock;
  std::chrono::duration<double, std::milli> switching{0}, drawing{0};
  for (auto _ : state) {
    const int32_t t = After(viewer->TimePoint());
    const auto start = Clock::now();
    viewer->SetTimePoint(t);
    if (prefetch) viewer->PrepareTimePoint(After(t));
    const auto switched = Clock::now();
    viewer->DrawImage();  // draws and waits for the frame
    switching += switched - start, drawing += Clock::now() - switched;
  }
  state.SetItemsProcessed(state.iterations());
  // Where the time goes: the switch (with a wait for the worker) and the frame.
  state.counters["switch_ms"] = switching.count() / static_cast<double>(state.iterations());
  state.counters["draw_ms"] = drawing.count() / static_cast<double>(state.iterations());
  state.counters["from_prepared"] = static_cast<double>(viewer->TimePointsFromPreparation());
}

void Prefetched(benchmark::State& state) { Playback(state, true); }
void Plain(benchmark::State& state) { Playback(state, false); }
BENCHMARK(Plain)->Name("Playback/Plain")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(Prefetched)->Name("Playback/Prefetched")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

}  // namespace
}  // namespace lumetrix

int main(int argc, char** argv) {
  return lumetrix::bench::RunDrawingBenchmarks(argc, argv, [] { lumetrix::SharedViewer().reset(); });
}
