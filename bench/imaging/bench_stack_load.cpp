// Opening a stack as the viewer does (ReadVolume: pages decoded on all cores, then the
// page-fastest 8-bit volume) beside a bare single-threaded libtiff decode of the same pages
// into one flat buffer: 512 x 512 x 200 8-bit LZW and 512 x 512 x 100 16-bit LZW.

#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdarg>
#include <filesystem>
#include <string>
#include <vector>

#include "samples/synth.h"
#include "viewer/volume_loader.h"

namespace {

constexpr int kSide = 512;

// CPU seconds of every thread of the process so far: on a loaded machine wall-clock time says
// little, and the load's CPU over the cores is what it would take on an idle one.
double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* Open(const std::string& path, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  TIFF* tif = TIFFOpenExt(path.c_str(), mode, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

// A fluorescence-like stack (beads, fibres, noise) so that LZW sees realistic data.
class Stack {
 public:
  Stack(int depth, int bits) : depth_(depth), bits_(bits) {
    folder_ = std::filesystem::temp_directory_path() /
              ("lumetrix-bench-load-" + std::to_string(::getpid()) + "-" + std::to_string(bits));
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "stack.tif").string();
    using namespace lumetrix::samples;
    Random random(7);
    Volume v(kSide, kSide, depth);
    AddBeads(v, random, 1500, 75);
    AddFilaments(v, random, 25, 14, 600);
    v.Blur(1.3, 1.3, 2.5);
    const std::vector<uint16_t> counts = Expose(v, random, 170, 9, 1.5, 1.0, 4, bits == 8 ? 255 : 4095);
    TIFF* tif = Open(path_, "w");
    const size_t pixels = size_t(kSide) * kSide;
    std::vector<uint8_t> page(pixels * (bits / 8));
    for (int z = 0; z < depth; ++z) {
      for (size_t i = 0; i < pixels; ++i) {
        const uint16_t c = counts[z * pixels + i];
        if (bits == 8) page[i] = static_cast<uint8_t>(c);
        else reinterpret_cast<uint16_t*>(page.data())[i] = c;
      }
      TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kSide);
      TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kSide);
      TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
      TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
      const size_t strip = size_t(16) * kSide * (bits / 8);
      for (int s = 0; s < kSide / 16; ++s) TIFFWriteEncodedStrip(tif, s, page.data() + s * strip, tmsize_t(strip));
      TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
  }
  ~Stack() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  const std::string& path() const { return path_; }
  int depth() const { return depth_; }
  int64_t bytes() const { return int64_t(kSide) * kSide * depth_ * (bits_ / 8); }

 private:
  int depth_, bits_;
  std::filesystem::path folder_;
  std::string path_;
};

const Stack& TheStack(int bits) {
  static Stack eight(200, 8);
  static Stack sixteen(100, 16);
  return bits == 8 ? eight : sixteen;
}

void BM_BareDecode(benchmark::State& state) {
  const Stack& stack = TheStack(static_cast<int>(state.range(0)));
  std::vector<uint8_t> flat(static_cast<size_t>(stack.bytes()));
  const double cpu = ProcessCpuSeconds();
  for (auto _ : state) {
    TIFF* tif = Open(stack.path(), "rm");
    uint8_t* dst = flat.data();
    int pages = 0;
    do {
      for (uint32_t s = 0; s < TIFFNumberOfStrips(tif); ++s) dst += TIFFReadEncodedStrip(tif, s, dst, -1);
      ++pages;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    benchmark::DoNotOptimize(flat.data());
    if (pages != stack.depth()) state.SkipWithError("wrong page count");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * stack.bytes());
  state.counters["all_threads_cpu_ms"] = 1000 * (ProcessCpuSeconds() - cpu) / double(state.iterations());
}

void BM_ReadVolume(benchmark::State& state) {
  const Stack& stack = TheStack(static_cast<int>(state.range(0)));
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
