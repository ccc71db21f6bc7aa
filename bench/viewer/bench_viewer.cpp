// Volume loading, texture building and frame drawing.
//   LoadVolume vs BareLibtiffDecode: the same 512x512x200 8-bit LZW stack.
//   BuildTextures vs BuildTexturesThroughBmpFiles: a 512x512x100 grey volume.
//   DrawScene: one frame of that volume at 800x600.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "bench/drawing_bench_main.h"
#include "bench/support/grey_stack.h"
#include "bench/support/strip_reading.h"
#include "bench/support/temp_folders.h"
#include "imaging/image_box.h"
#include "viewer_ui/gl_view.h"
#include "render/offscreen_view.h"
#include "render/texture_stacks.h"
#include "viewer/volume_loader.h"

namespace lumetrix {
namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path dir = bench::KeptFolder("lumetrix-bench-viewer");
  return dir;
}

// A 512x512x200 grey stack with smooth structure and noise, LZW-compressed.
std::string StackFile() {
  static const std::string path = [] {
    const std::string p = (Folder() / "stack512x200.tif").string();
    if (std::filesystem::exists(p)) return p;
    std::mt19937 rng(7);
    bench::GreyPage format;
    format.width = format.height = 512;
    format.compression = COMPRESSION_LZW;
    format.rows_per_strip = 16;
    format.page_of_stack = true;
    bench::WriteGreyStack(p, format, 200, [&](int page, uint32_t y, uint8_t* row) {
      for (int x = 0; x < 512; ++x)
        row[x] = static_cast<uint8_t>(40 + 30 * std::sin(x * 0.05 + page * 0.1) * std::cos(y * 0.04) + (rng() % 16));
    });
    return p;
  }();
  return path;
}

void LoadVolume(benchmark::State& state) {
  const std::string path = StackFile();
  imaging::ImageBox image;
  NullProgress progress;
  for (auto _ : state) {
    std::string error;
    auto v = ReadVolume(path, image, progress, error);
    if (!v) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(v->Samples.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{512} * 512 * 200);
}
BENCHMARK(LoadVolume)->Unit(benchmark::kMillisecond)->MinTime(2);

void BareLibtiffDecode(benchmark::State& state) {
  const std::string path = StackFile();
  std::vector<uint8_t> flat(size_t{512} * 512 * 200);
  for (auto _ : state) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    bench::ReadAllStrips(t, flat.data());
    TIFFClose(t);
    benchmark::DoNotOptimize(flat.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{512} * 512 * 200);
}
BENCHMARK(BareLibtiffDecode)->Unit(benchmark::kMillisecond)->MinTime(2);

// A side x side x depth grey volume of noise.
VolumeData NoiseVolume(int32_t side, int32_t depth) {
  VolumeData v;
  v.Width = v.Height = side;
  v.Depth = depth;
  v.IsGrey = true;
  v.Samples.resize(size_t(side) * side * depth);
  std::mt19937 rng(3);
  for (auto& s : v.Samples) s = static_cast<uint8_t>(rng() & 0x7F);
  return v;
}

VolumeData TextureVolume() { return NoiseVolume(512, 100); }

struct Gl {
  ViewState view;
  OffscreenView surface;
  Gl() {
    surface.AttachView(&view);
    std::string error;
    if (!surface.Activate(error)) std::fprintf(stderr, "%s\n", error.c_str());
    surface.SetSize(800, 600);
  }
  static Gl*& Instance() {
    static Gl* gl = nullptr;
    return gl;
  }
  static Gl& Get() {
    if (!Instance()) Instance() = new Gl;
    return *Instance();
  }
};

void BuildTexturesStack(benchmark::State& state) {
  const VolumeData v = TextureVolume();
  Gl& gl = Gl::Get();
  gl.surface.MakeCurrent();
  TextureBuildSettings s;
  NullProgress progress;
  for (auto _ : state) {
    TextureStacks stacks;
    BuildTextures(v, s, progress, stacks);
    glFinish();
    stacks.Release();
  }
}
BENCHMARK(BuildTexturesStack)->Name("BuildTextures/in_memory")->Unit(benchmark::kMillisecond)->MinTime(3);

// The earlier way to a slice's texture: resampled through the image component, saved as a
// temporary 24-bit BMP file and read back whole into `file`.
struct SliceThroughBmpFile {
  imaging::ImageBox image;
  const std::string tmp = (Folder() / "tmpTexture.bmp").string();
  std::vector<uint8_t> slice, file;

  void Make(const VolumeData& v, const TextureBuildSettings& s, Stack stack, int32_t k) {
    const StackLayout l = LayoutOf(v, stack, 4);
    ExtractSliceBgr(v, stack, k, 4, slice);
    image.SetPixels(slice, l.Columns, l.Rows);
    float sc = 0, sr = 0;
    StackScales(stack, s.ScaleX, s.ScaleY, s.ScaleZ, sc, sr);
    const SliceSize size = ResampleSize(l.Columns, l.Rows, sc, sr);
    image.ResizeImage(size.Columns, size.Rows);
    image.SaveImage(tmp, imaging::kFormatBmp, false);
    std::ifstream in(tmp, std::ios::binary);
    file.assign(std::istreambuf_iterator<char>(in), {});
  }
};

// The same textures through a temporary 24-bit BMP file per slice, read back as raw bytes.
void BuildTexturesThroughBmpFiles(benchmark::State& state) {
  const VolumeData v = TextureVolume();
  Gl& gl = Gl::Get();
  gl.surface.MakeCurrent();
  TextureBuildSettings s;
  SliceThroughBmpFile bmp;
  for (auto _ : state) {
    TextureStacks stacks;
    for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ}) {
      const StackLayout l = LayoutOf(v, stack, 4);
      auto& names = stacks.Of(stack);
      names.assign(static_cast<size_t>(l.Reserved) + 1, 0);
      glGenTextures(l.Reserved, names.data());
      for (int32_t k = 0; k < l.Count; ++k) {
        bmp.Make(v, s, stack, k);
        int32_t w = 0, h = 0;
        std::memcpy(&w, bmp.file.data() + 18, 4);
        std::memcpy(&h, bmp.file.data() + 22, 4);
        glBindTexture(GL_TEXTURE_2D, names[static_cast<size_t>(k)]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, w, h, 0x80E0 /* BGR */, GL_UNSIGNED_BYTE, bmp.file.data() + 54);
      }
    }
    glFinish();
    stacks.Release();
  }
}
BENCHMARK(BuildTexturesThroughBmpFiles)->Name("BuildTextures/through_bmp_files")->Unit(benchmark::kMillisecond)->MinTime(3);

// Slice preparation alone (everything but the mipmap upload, which both paths share).
void PrepareSlices(benchmark::State& state) {
  const VolumeData v = TextureVolume();
  TextureBuildSettings s;
  SliceImage image;
  for (auto _ : state) {
    SlicePreparer slices(v, s);
    for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ})
      for (int32_t k = 0; k < LayoutOf(v, stack, 4).Count; ++k) slices.Prepare(stack, k, image);
  }
}
BENCHMARK(PrepareSlices)->Name("PrepareSlices/in_memory")->Unit(benchmark::kMillisecond)->MinTime(2);

void PrepareSlicesThroughBmpFiles(benchmark::State& state) {
  const VolumeData v = TextureVolume();
  TextureBuildSettings s;
  SliceThroughBmpFile bmp;
  for (auto _ : state)
    for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ})
      for (int32_t k = 0; k < LayoutOf(v, stack, 4).Count; ++k) {
        bmp.Make(v, s, stack, k);
        benchmark::DoNotOptimize(bmp.file.data());
      }
}
BENCHMARK(PrepareSlicesThroughBmpFiles)->Name("PrepareSlices/through_bmp_files")->Unit(benchmark::kMillisecond)->MinTime(2);

// Textures of `v` built and handed to the renderer, the view at its start.
void ShowVolume(Gl& gl, const VolumeData& v) {
  gl.surface.MakeCurrent();
  TextureStacks stacks;
  NullProgress progress;
  BuildTextures(v, TextureBuildSettings{}, progress, stacks);
  gl.surface.Renderer().SetStacks(v, 4, std::move(stacks));
  gl.view.ResetParameters();
  gl.surface.Renderer().InitGLState(gl.view);
}

void DrawSceneFrame(benchmark::State& state) {
  const VolumeData v = TextureVolume();
  Gl& gl = Gl::Get();
  ShowVolume(gl, v);
  gl.view.YSpeed = static_cast<float>(state.range(0)) / 10.0f;
  for (auto _ : state) gl.surface.DrawFrameNow();  // draws and waits for the frame (glFinish)
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  gl.surface.Renderer().ReleaseStacks();
}
BENCHMARK(DrawSceneFrame)->Name("DrawScene/800x600")->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

// Peak memory of showing a 1024x1024x100 grey volume: textures built and one frame drawn. The
// peak is the process's (getrusage), so run it alone: --benchmark_filter=PeakMemory.
void RenderPeakMemory(benchmark::State& state) {
  VolumeData v = NoiseVolume(1024, 100);
  Gl& gl = Gl::Get();
  for (auto _ : state) {
    ShowVolume(gl, v);
    gl.surface.DrawFrameNow();
    gl.surface.Renderer().ReleaseStacks();
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double volume_mb = static_cast<double>(v.Samples.size()) / (1024.0 * 1024.0);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["limit_MB"] = 4 * volume_mb + 300;
}
BENCHMARK(RenderPeakMemory)->Name("PeakMemory/1024x1024x100")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace lumetrix

int main(int argc, char** argv) {
  return lumetrix::bench::RunDrawingBenchmarks(argc, argv, [] {
    delete lumetrix::Gl::Instance();  // the context goes before the application object
    lumetrix::Gl::Instance() = nullptr;
  });
}
