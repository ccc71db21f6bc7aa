// FirstPicture/big_window, FirstPicture/small_window: the time from opening a file to the first
// frame the window shows (drawn without waiting for finer bricks).
// FirstPicture/big, FirstPicture/small: the time from opening a file to the first frame read
// back, as the viewer opens one (Viewer::OpenAtStart: ReadVolume, the textures, the first frame
// drawn by the ray caster in mip mode at 400 x 400 through an OffscreenView, which waits for every
// brick the frame needs), then the frame read back. The rendering context is made before the
// clock starts, as a window has one before a file is opened; the files are in the page cache.
// --memory 512 as budget (256 MB host, 256 MB GPU): the big sparse volume is streamed, the
// small dense one read whole. Required: big at most 2 s and at most 1.5 times small.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "bench/streaming/streaming_volumes.h"
#include "render/bricked_volume.h"
#include "streaming/memory_budget.h"
#include "bench/support/frame_lit.h"
#include "viewer/frame_bmp.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

constexpr int kView = 400;
constexpr uint64_t kMemory = uint64_t{512} << 20;


double small_median_ms[2] = {0, 0};  // set by FirstPicture/small..., which run first

// `window`: the first frame as the window draws it (OpenAtStart draws it: the level read first and
// the coarsest bricks, the finer ones following in later frames), not waiting for every brick.
void FirstPicture(benchmark::State& state, bool big, bool window) {
  const bench::StreamingVolume& volume = big ? bench::BigSparseVolume() : bench::SmallDenseVolume();
  std::vector<double> ms;
  double lit = 0;
  std::string status;
  uint64_t atlas_bytes = 0;
  for (auto _ : state) {
    auto shown = std::make_unique<OffscreenViewer>();
    Viewer& viewer = shown->viewer;
    std::string why;
    if (!shown->surface.Activate(why) || !shown->surface.SetSize(kView, kView)) return state.SkipWithError(why.c_str());
    viewer.SetMemoryBudget(streaming::Halves(kMemory));
    if (!viewer.SetRenderMode("mip", why)) return state.SkipWithError(why.c_str());
    shown->surface.Caster().SetWaitForDetail(!window);
    const auto start = std::chrono::steady_clock::now();
    if (!viewer.OpenAtStart(volume.path)) return state.SkipWithError("the volume was not opened");
    const std::chrono::duration<double> drawn = std::chrono::steady_clock::now() - start;
    const CapturedFrame frame = viewer.Surface().CaptureFrame(0, 0, kView, kView);
    const std::chrono::duration<double> took = window ? drawn : std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1e3);
    if (shown->surface.SelectedRenderer() != RendererKind::RayCaster)
      return state.SkipWithError("the first frame was not drawn by the ray caster");
    if (big != (shown->surface.Caster().Bricked() != nullptr))
      return state.SkipWithError(big ? "the big volume was not streamed" : "the small volume was streamed");
    lit = bench::LitShare(frame);
    if (lit == 0) return state.SkipWithError("the first frame is black");
    status = shown->surface.Caster().BrickStatus();
    if (const BrickedVolume* bricked = shown->surface.Caster().Bricked()) atlas_bytes = bricked->TextureBytes();
  }
  std::sort(ms.begin(), ms.end());
  const double median = ms.empty() ? 0 : ms[ms.size() / 2];
  state.counters["median_ms"] = median;
  if (!big) small_median_ms[window] = median;
  if (big && small_median_ms[window] > 0) state.counters["of_small"] = median / small_median_ms[window];
  if (big) state.counters["atlas_MB"] = double(atlas_bytes) / (1 << 20);
  state.counters["lit"] = lit;
  state.counters["chunk_files"] = double(volume.written.chunks);
  state.SetLabel(std::to_string(volume.width) + "x" + std::to_string(volume.height) + "x" +
                 std::to_string(volume.depth) + (status.empty() ? ", read whole" : ", " + status));
}

BENCHMARK_CAPTURE(FirstPicture, small_window, false, true)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPicture, big_window, true, true)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPicture, small, false, false)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPicture, big, true, false)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumetrix
