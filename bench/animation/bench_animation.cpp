// Keyframe movies of a 256x256x64 grey volume at 640x480 under the software renderer.
//   KeyframeMovie: one H.264 MP4 of 1020 frames (a full turn and a zoom); the time of each frame
//     is taken between the renderer's progress calls. Counters: the median frame time around
//     frame 10 and around frame 1000 (flat cost: within 10 %), and the whole movie's frames/s.
//   DrawFrame: frames per second of drawing alone (DrawImage and the read-back of the frame).
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <QApplication>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "viewer/animation/keyframe_file.h"
#include "viewer/animation/movie_renderer.h"
#include "viewer/gl_view.h"
#include "viewer/offscreen_viewer.h"

namespace lumetrix {
namespace {

std::filesystem::path Folder() {
  auto d = std::filesystem::temp_directory_path() / "lumetrix-bench-animation";
  std::filesystem::create_directories(d);
  return d;
}

std::string VolumeFile() {
  const std::string p = (Folder() / "stack256x64.tif").string();
  if (std::filesystem::exists(p)) return p;
  TIFF* t = TIFFOpen(p.c_str(), "w");
  std::vector<uint8_t> row(256);
  for (int page = 0; page < 64; ++page) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 256);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 256);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x)
        row[x] = static_cast<uint8_t>(60 + 50 * std::sin(x * 0.07 + page * 0.2) * std::cos(y * 0.05));
      TIFFWriteScanline(t, row.data(), y, 0);
    }
    TIFFWriteDirectory(t);
  }
  TIFFClose(t);
  return p;
}

animation::KeyframeTrack Track() {
  std::string error;
  return *animation::ParseKeyframes(
      R"({"fps":25,"size":[640,480],"keyframes":[{"frame":0,"YRot":0,"PosZ":-3},
          {"frame":1019,"YRot":360,"FullTurn":true,"XRot":40,"PosZ":-2,"Ease":"inout"}]})",
      error);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void KeyframeMovie(benchmark::State& state) {
  OffscreenViewer offscreen;
  std::string reason;
  if (!offscreen.viewer.OpenImage(VolumeFile(), reason)) return state.SkipWithError(reason.c_str());
  const animation::KeyframeTrack track = Track();
  std::vector<double> ms(track.FrameCount() + 1);
  for (auto _ : state) {
    using Clock = std::chrono::steady_clock;
    auto last = Clock::now();
    const auto start = last;
    animation::MovieRequest request;
    request.Path = (Folder() / "movie.mp4").string();
    request.Progress = [&](int32_t f, int32_t) {
      const auto now = Clock::now();
      if (f > 0) ms[f - 1] = std::chrono::duration<double, std::milli>(now - last).count();
      last = now;
      return true;
    };
    const auto result = animation::RenderMovie(offscreen.viewer, track, request);
    if (result.Status != animation::MovieStatus::Written) return state.SkipWithError(result.Error.c_str());
    state.counters["movie_fps"] =
        track.FrameCount() / std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double early = Median({ms.begin() + 10, ms.begin() + 30});
  const double late = Median({ms.begin() + 1000, ms.begin() + 1018});
  state.counters["frame10_ms"] = early;
  state.counters["frame1000_ms"] = late;
  state.counters["late_vs_early"] = late / early;
}
BENCHMARK(KeyframeMovie)->Name("KeyframeMovie/640x480/1020frames")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void DrawFrame(benchmark::State& state) {
  OffscreenViewer offscreen;
  std::string reason;
  if (!offscreen.viewer.OpenImage(VolumeFile(), reason)) return state.SkipWithError(reason.c_str());
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
BENCHMARK(DrawFrame)->Name("DrawFrame/640x480/256x256x64")->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace
}  // namespace lumetrix

int main(int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  lumetrix::SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
