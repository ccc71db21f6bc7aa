// The ray caster beside the slice stacks and beside vispy's Volume visual, in one run.
//   Frame/...: one 400x400 frame of a 512x512x100 8-bit fluorescence-like volume, the view turned
//     by a degree before each (so nothing drawn before helps), timed to glFinish in real time
//     (the process's CPU time says little with llvmpipe's threads): the slice stacks additive and
//     maximum, the ray caster's mip and volume (composite) modes at full quality, coarse (as
//     while the view moves) and at vispy's step, and vispy's mip and translucent methods on the
//     same voxels, timed by bench/render/vispy_volume.py in a child process.
//   TextureBytes/1024x1024x100: the texture memory of both renderers for an 8-bit volume, and its
//     ratio to the volume's bytes (the ray caster must stay within 1.3).
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "bench/drawing_bench_main.h"
#include "bench/support/child_process.h"
#include "bench/support/fluorescence_volume.h"
#include "bench/support/grey_stack.h"
#include "bench/support/temp_folders.h"
#include "bench/support/frame_lit.h"
#include "render/offscreen_view.h"
#include "render/texture_budget.h"
#include "render/texture_stacks.h"
#include "viewer/view_motion.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

constexpr int kSide = 512, kDepth = 100, kView = 400;
constexpr int kFrames = 30;         // per benchmark, the same for vispy
constexpr float kMovingCoarseness = MotionQuality::kCoarse;  // the ray caster's step while the view moves

// The volume as a TIFF stack for the viewer and as raw bytes for vispy, in a folder of its own
// that goes at the end of the run.
struct VolumeFiles {
  bench::ScratchFolder folder{"lumetrix-bench-render"};
  std::string tiff = (folder.path() / "volume.tif").string();
  std::string raw = (folder.path() / "volume.raw").string();

  VolumeFiles() {
    const std::vector<uint16_t> counts = bench::FluorescenceCounts(kSide, kDepth, 8);
    std::vector<char> bytes(counts.begin(), counts.end());
    std::ofstream(raw, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bench::GreyPage format;
    format.width = format.height = kSide;
    format.page_of_stack = true;
    bench::WriteGreyStack(tiff, format, kDepth, [&](int page, uint32_t y, uint8_t* row) {
      std::copy_n(bytes.data() + (size_t(page) * kSide + y) * kSide, kSide, row);
    });
  }
};

const VolumeFiles& Files() {
  static const VolumeFiles files;
  return files;
}

// One viewer for all frame benchmarks; it goes before the application object.
std::unique_ptr<OffscreenViewer>& SharedViewer() {
  static std::unique_ptr<OffscreenViewer> viewer;
  return viewer;
}

OffscreenViewer* ShownVolume(std::string& why) {
  auto& shown = SharedViewer();
  if (shown) return shown.get();
  auto made = std::make_unique<OffscreenViewer>();
  made->viewer.SetClientSize(kView, kView);
  if (!made->viewer.OpenImage(Files().tiff, why)) return nullptr;
  made->viewer.ResizeGL(kView, kView);
  shown = std::move(made);
  return shown.get();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}


void FrameTime(benchmark::State& state, const char* mode, float coarseness, double quality) {
  std::string why;
  OffscreenViewer* shown = ShownVolume(why);
  if (!shown) return state.SkipWithError(why.c_str());
  Viewer& viewer = shown->viewer;
  if (!viewer.SetRenderMode(mode, why)) return state.SkipWithError(why.c_str());
  RayCaster& caster = shown->surface.Caster();
  caster.SetCoarseness(coarseness);
  viewer.SetQuality(quality);
  viewer.SetYRot(0);
  viewer.DrawImage();  // builds the shader program of a new mode
  std::vector<double> ms;
  float turn = 0;
  for (auto _ : state) {
    viewer.SetYRot(turn += 1);
    const auto start = std::chrono::steady_clock::now();
    viewer.DrawImage();  // draws and waits for the frame (glFinish)
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1e3);
  }
  state.counters["median_ms"] = Median(ms);
  state.counters["min_ms"] = ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end());
  state.counters["lit"] = bench::LitShare(viewer.Surface().CaptureFrame(0, 0, kView, kView));
  caster.SetCoarseness(1);
  viewer.SetQuality(ViewState{}.Quality);
}

// Runs vispy_volume.py on the same voxels; its median frame time is the iteration's time. Its
// translucent voxels are as opaque as the viewer's at its start transparency T (the opacity of a
// full-level voxel): vispy gives each sample, 0.8 voxels apart, the opacity 1 - (1 - T)^0.8.
void VispyFrameTime(benchmark::State& state, const char* method) {
  std::string why;
  OffscreenViewer* shown = ShownVolume(why);
  if (!shown) return state.SkipWithError(why.c_str());
  const double opacity = 1 - std::pow(1 - double(shown->viewer.View().Transparency), 0.8);
  const std::vector<std::string> command = {
      "/usr/bin/python3", LUMETRIX_VISPY_SCRIPT, "--raw", Files().raw,
      "--shape", std::to_string(kSide) + "," + std::to_string(kSide) + "," + std::to_string(kDepth),
      "--method", method, "--size", std::to_string(kView), "--frames", std::to_string(kFrames),
      "--transparency", std::to_string(opacity)};
  for (auto _ : state) {
    const bench::ChildResult run = bench::RunChild(command);
    std::istringstream lines(run.Out);
    double frame_ms = -1, lit = -1;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("frame_ms=", 0) == 0) frame_ms = std::stod(line.substr(9));
      if (line.rfind("lit=", 0) == 0) lit = std::stod(line.substr(4));
    }
    if (run.ExitCode != 0 || frame_ms < 0) {
      const std::string tail = run.Err.size() > 600 ? run.Err.substr(run.Err.size() - 600) : run.Err;
      return state.SkipWithError(("vispy did not draw (exit " + std::to_string(run.ExitCode) + "): " + tail).c_str());
    }
    state.SetIterationTime(frame_ms / 1e3);
    state.counters["median_ms"] = frame_ms;
    state.counters["lit"] = lit;
    state.counters["opacity"] = opacity;
  }
}

void RegisterFrames() {
  struct Entry {
    const char* name;
    const char* mode;
    float coarseness = 1;
    double quality = ViewState{}.Quality;
  };
  // vispy steps 0.8 voxels of its grid along the ray, as our quality counts them.
  const double vispy_step = 0.8;
  for (const Entry& e : {Entry{"slices_additive", "additive"}, Entry{"slices_max", "max"}, Entry{"ray_mip", "mip"},
                         Entry{"ray_volume", "volume"}, Entry{"ray_mip_moving", "mip", kMovingCoarseness},
                         Entry{"ray_volume_moving", "volume", kMovingCoarseness},
                         Entry{"ray_mip_vispy_step", "mip", 1, vispy_step},
                         Entry{"ray_volume_vispy_step", "volume", 1, vispy_step}})
    benchmark::RegisterBenchmark(("Frame/" + std::string(e.name)).c_str(), FrameTime, e.mode, e.coarseness, e.quality)
        ->Iterations(kFrames)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  for (const char* method : {"mip", "translucent"})
    benchmark::RegisterBenchmark(("Frame/vispy_" + std::string(method)).c_str(), VispyFrameTime, method)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

// Texels of every mipmap level of the textures in `names`, times the bytes the driver says a
// texel of each has.
uint64_t TextureBytesOf(const std::vector<uint32_t>& names) {
  uint64_t bytes = 0;
  for (uint32_t name : names) {
    if (!name) continue;
    glBindTexture(GL_TEXTURE_2D, name);
    for (GLint level = 0; level < 32; ++level) {
      GLint w = 0, h = 0, bits = 0;
      glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
      glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
      if (w == 0 || h == 0) break;
      for (GLenum size : {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE,
                          GL_TEXTURE_LUMINANCE_SIZE, GL_TEXTURE_INTENSITY_SIZE}) {
        GLint b = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, size, &b);
        bits += b;
      }
      bytes += uint64_t(w) * uint64_t(h) * uint64_t((bits + 7) / 8);
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return bytes;
}

// The slice stacks' texture memory as the budget code plans it, at `bytes_per_texel`.
uint64_t PlannedSliceBytes(const VolumeData& v, const TextureBuildSettings& s, int bytes_per_texel) {
  std::vector<TextureDemand> demand;
  for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ}) {
    const StackLayout l = LayoutOf(v, stack, s.SliceStep);
    float sc = 0, sr = 0;
    StackScales(stack, s.ScaleX, s.ScaleY, s.ScaleZ, sc, sr);
    const SliceSize size = ResampleSize(l.Columns, l.Rows, sc, sr);
    demand.push_back({size.Columns, size.Rows, l.Count});
  }
  TextureLimits limits;
  limits.BytesPerTexel = bytes_per_texel;
  return PlanTextures(demand, limits).Bytes;
}

void TextureBytes(benchmark::State& state) {
  VolumeData v;
  v.Width = v.Height = 1024;
  v.Depth = 100;
  v.IsGrey = true;
  v.Samples.resize(size_t(v.Width) * v.Height * v.Depth);
  std::mt19937 rng(3);
  for (auto& s : v.Samples) s = static_cast<uint8_t>(rng() & 0x7F);
  const double volume_bytes = double(v.Samples.size());

  OffscreenView surface;
  ViewState view;
  surface.AttachView(&view);
  std::string why;
  if (!surface.Activate(why) || !surface.SetSize(64, 64)) return state.SkipWithError(why.c_str());
  const TextureBuildSettings settings;  // a grey volume without a palette: one-byte slices
  NullProgress progress;
  uint64_t ray = 0, slices = 0;
  for (auto _ : state) {
    try {
      surface.Caster().BuildVolume(v, settings, progress);
      surface.Caster().ShowBuiltVolume(v, view);
      ray = surface.Caster().TextureBytes();
      surface.Caster().ReleaseVolume();
      TextureStacks stacks;
      BuildTextures(v, settings, progress, stacks);
      slices = TextureBytesOf(stacks.XY) + TextureBytesOf(stacks.YZ) + TextureBytesOf(stacks.XZ);
      stacks.Release();
    } catch (const TextureBuildError& e) {
      return state.SkipWithError(e.what());
    }
  }
  state.counters["ray_MB"] = double(ray) / (1 << 20);
  state.counters["ray_ratio"] = double(ray) / volume_bytes;
  state.counters["slices_MB"] = double(slices) / (1 << 20);
  state.counters["slices_ratio"] = double(slices) / volume_bytes;
  state.counters["slices_planned_MB"] = double(PlannedSliceBytes(v, settings, 1)) / (1 << 20);
  // With a palette the slices are RGB, four bytes a texel as drivers keep them.
  state.counters["slices_palette_planned_MB"] = double(PlannedSliceBytes(v, settings, 4)) / (1 << 20);
  if (double(ray) > 1.3 * volume_bytes) state.SkipWithError("the ray caster takes more than 1.3 times the volume's bytes");
}

}  // namespace
}  // namespace lumetrix

int main(int argc, char** argv) {
  lumetrix::RegisterFrames();
  benchmark::RegisterBenchmark("TextureBytes/1024x1024x100", lumetrix::TextureBytes)
      ->Iterations(1)
      ->Unit(benchmark::kMillisecond);
  return lumetrix::bench::RunDrawingBenchmarks(argc, argv, [] { lumetrix::SharedViewer().reset(); });
}
