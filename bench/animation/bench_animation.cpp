// Keyframe movies at 640x480 under the software renderer.
//   KeyframeMovieFrameCost: one H.264 MP4 of 1101 frames (ten steady turns) of a
//     small 64x64x16 volume, so the saving rather than the drawing dominates. The cost of each
//     frame is taken between the renderer's progress calls, as wall time and as the main thread's
//     CPU time (which a loaded machine disturbs less; with LP_NUM_THREADS=0 the software
//     renderer draws on that thread too). Counters: medians over frames 10..29 and 1000..1019
//     and their ratio (flat cost: within 10 %).
//   KeyframeMovie256: the whole movie path for a 256x256x64 volume, 25 frames; movie_fps.
//     /ranges: the same while the display range changes on every frame (textures made anew).
//   DrawFrame256: drawing and reading back one frame of that volume; fps.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "bench/drawing_bench_main.h"
#include "bench/support/cpu_time.h"
#include "bench/support/grey_stack.h"
#include "bench/support/temp_folders.h"
#include "viewer/animation/keyframe_file.h"
#include "viewer/animation/movie_renderer.h"
#include "viewer_ui/gl_view.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

std::filesystem::path Folder() { return bench::KeptFolder("lumetrix-bench-animation"); }

// A side x side x pages grey stack of smooth stripes.
std::string VolumeFile(int side, int pages) {
  const std::string p = (Folder() / ("stack" + std::to_string(side) + "x" + std::to_string(pages) + ".tif")).string();
  if (std::filesystem::exists(p)) return p;
  bench::GreyPage format;
  format.width = format.height = static_cast<uint32_t>(side);
  format.page_of_stack = true;
  bench::WriteGreyStack(p, format, pages, [&](int page, uint32_t y, uint8_t* row) {
    for (int x = 0; x < side; ++x)
      row[x] = static_cast<uint8_t>(60 + 50 * std::sin(x * 0.07 + page * 0.2) * std::cos(y * 0.05));
  });
  return p;
}

// A steady turn of 110 frames per turn, so frames 10.. and 1000.. show the same views and the
// only difference between them can be the frame's place in the movie.
animation::KeyframeTrack Track(int frames, bool ranges = false) {
  std::string error;
  const double yrot = 360.0 * (frames - 1) / 110;
  return *animation::ParseKeyframes(
      R"({"fps":25,"size":[640,480],"keyframes":[{"frame":0,"YRot":0,"XRot":20)" +
          std::string(ranges ? R"(,"Channel1":{"Range":[0,255]})" : "") + R"(},{"frame":)" + std::to_string(frames - 1) +
          R"(,"YRot":)" + std::to_string(yrot) + std::string(ranges ? R"(,"Channel1":{"Range":[0,128]})" : "") +
          R"(,"FullTurn":true}]})",
      error);
}

double ThreadCpuMs() { return 1e3 * bench::ThreadCpuSeconds(); }

struct FrameTimes {
  std::vector<double> wall, cpu;
  double movieSeconds = 0;
};

// Renders the movie once and times every frame; empty on failure (with the reason).
FrameTimes TimeMovie(const std::string& volume, const animation::KeyframeTrack& track, std::string& error) {
  OffscreenViewer offscreen;
  if (!offscreen.viewer.OpenImage(volume, error)) return {};
  const int frames = track.FrameCount();
  FrameTimes times;
  times.wall.resize(frames);
  times.cpu.resize(frames);
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last = start;
  double lastCpu = ThreadCpuMs();
  animation::MovieRequest request;
  request.Path = (Folder() / "movie.mp4").string();
  request.Progress = [&](int32_t f, int32_t) {
    const auto now = Clock::now();
    const double cpu = ThreadCpuMs();
    if (f > 0) {
      times.wall[f - 1] = std::chrono::duration<double, std::milli>(now - last).count();
      times.cpu[f - 1] = cpu - lastCpu;
    }
    last = now;
    lastCpu = cpu;
    return true;
  };
  const auto result = animation::RenderMovie(offscreen.viewer, track, request);
  if (result.Status != animation::MovieStatus::Written) {
    error = result.Error;
    return {};
  }
  times.movieSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  return times;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void KeyframeMovieFrameCost(benchmark::State& state) {
  std::string error;
  FrameTimes t;
  for (auto _ : state) {
    t = TimeMovie(VolumeFile(64, 16), Track(1101), error);
    if (t.wall.empty()) return state.SkipWithError(error.c_str());
  }
  auto median = [](const std::vector<double>& v, int from) { return Median({v.begin() + from, v.begin() + from + 20}); };
  state.counters["wall10_ms"] = median(t.wall, 10);
  state.counters["wall1000_ms"] = median(t.wall, 1000);
  state.counters["cpu10_ms"] = median(t.cpu, 10);
  state.counters["cpu1000_ms"] = median(t.cpu, 1000);
  state.counters["cpu1000_vs_10"] = median(t.cpu, 1000) / median(t.cpu, 10);
  state.counters["wall1000_vs_10"] = median(t.wall, 1000) / median(t.wall, 10);
}
BENCHMARK(KeyframeMovieFrameCost)->Name("KeyframeMovieFrameCost/640x480/1101frames")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void KeyframeMovie256(benchmark::State& state) {
  std::string error;
  for (auto _ : state) {
    const FrameTimes t = TimeMovie(VolumeFile(256, 64), Track(25, state.range(0) != 0), error);
    if (t.wall.empty()) return state.SkipWithError(error.c_str());
    state.counters["movie_fps"] = 25 / t.movieSeconds;
  }
}
BENCHMARK(KeyframeMovie256)->Name("KeyframeMovie/640x480/256x256x64/25frames")->Arg(0)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(KeyframeMovie256)->Name("KeyframeMovie/640x480/256x256x64/25frames/ranges")->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void DrawFrame(benchmark::State& state) {
  OffscreenViewer offscreen;
  std::string reason;
  if (!offscreen.viewer.OpenImage(VolumeFile(256, 64), reason)) return state.SkipWithError(reason.c_str());
  offscreen.viewer.SetClientSize(640, 480);
  offscreen.viewer.ResizeGL(640, 480);
  float turn = 0;
  for (auto _ : state) {
    offscreen.viewer.SetYRot(turn += 1);
    offscreen.viewer.DrawImage();
    benchmark::DoNotOptimize(offscreen.viewer.Surface().CaptureFrame(0, 0, 640, 480).Pixels.data());
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(DrawFrame)->Name("DrawFrame256/640x480/256x256x64")->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace
}  // namespace lumetrix

int main(int argc, char** argv) { return lumetrix::bench::RunDrawingBenchmarks(argc, argv); }
