// DarkBricks/floor_shown, DarkBricks/floor_below_range: complete composite ("volume") frames of
// the 1024 x 1024 x 256 floor volume, streamed under --memory 256, at 400 x 400, the view turned
// by a degree before each (after a first frame that loads the bricks), timed to glFinish. Shown:
// the display range from 0, so the floor is drawn; below range: from 20, above the floor, so
// the bricks holding only floor add nothing and the rays skip them. Both frames are the same
// bytes as without skipping (tests/viewer/test_bricked_rendering.cpp); the figure is the time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "bench/streaming/streaming_volumes.h"
#include "bench/support/frame_lit.h"
#include "render/bricked_volume.h"
#include "streaming/memory_budget.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

constexpr int kView = 400, kFrames = 10;
constexpr uint64_t kMemory = uint64_t{256} << 20;

void DarkBricks(benchmark::State& state, double low) {
  const bench::StreamingVolume& volume = bench::FloorVolume();
  auto shown = std::make_unique<OffscreenViewer>();
  Viewer& viewer = shown->viewer;
  std::string why;
  if (!shown->surface.Activate(why) || !shown->surface.SetSize(kView, kView)) return state.SkipWithError(why.c_str());
  viewer.SetMemoryBudget(streaming::Halves(kMemory));
  if (!viewer.SetRenderMode("volume", why)) return state.SkipWithError(why.c_str());
  if (!viewer.OpenAtStart(volume.path)) return state.SkipWithError("the volume was not opened");
  const BrickedVolume* bricked = shown->surface.Caster().Bricked();
  if (!bricked) return state.SkipWithError("the volume was not streamed");
  viewer.SetDisplayRange(1, low, 255);
  viewer.SetXRot(20);
  viewer.DrawImage();  // loads the bricks
  std::vector<double> ms;
  float turn = 0;
  for (auto _ : state) {
    viewer.SetYRot(turn += 1);
    const auto start = std::chrono::steady_clock::now();
    viewer.DrawImage();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1e3);
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
  state.counters["lit"] = bench::LitShare(viewer.Surface().CaptureFrame(0, 0, kView, kView));
  state.counters["bricks"] = double(bricked->Plan().wanted.size());
  state.counters["dark"] = double(bricked->DarkBricks());
  state.SetLabel(shown->surface.Caster().BrickStatus());
}

BENCHMARK_CAPTURE(DarkBricks, floor_shown, 0.0)->Iterations(kFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DarkBricks, floor_below_range, 20.0)->Iterations(kFrames)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumetrix
