// Reading a 512 x 512 x 200 8-bit grey LZW stack through ImageBox (LoadPage + PixelBytes per
// page) beside a bare libtiff decode of the same strips, plus the resampler on slice sizes.

#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/image_box.h"
#include "imaging/resample.h"
#include "samples/synth.h"

namespace {

constexpr int kWidth = 512, kHeight = 512, kDepth = 200;

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* Open(const std::string& path, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  TIFF* tif = TIFFOpenExt(path.c_str(), mode, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

// A fluorescence-like stack (beads, fibres, noise) so LZW sees realistic data; written once.
class Stack {
 public:
  Stack() {
    folder_ = std::filesystem::temp_directory_path() / ("lumetrix-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "stack512.tif").string();
    using namespace lumetrix::samples;
    Random random(7);
    Volume v(kWidth, kHeight, kDepth);
    AddBeads(v, random, 1500, 75);
    AddFilaments(v, random, 25, 14, 600);
    v.Blur(1.3, 1.3, 2.5);
    const std::vector<uint16_t> counts = Expose(v, random, 170, 9, 1.5, 1.0, 4, 255);
    TIFF* tif = Open(path_, "w");
    std::vector<uint8_t> page(size_t(kWidth) * kHeight);
    for (int z = 0; z < kDepth; ++z) {
      for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(counts[z * page.size() + i]);
      TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
      TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
      TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
      for (int s = 0; s < kHeight / 16; ++s) TIFFWriteEncodedStrip(tif, s, page.data() + s * 16 * kWidth, 16 * kWidth);
      TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
  }
  ~Stack() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

const Stack& TheStack() {
  static Stack stack;
  return stack;
}

void BareLibtiff(benchmark::State& state, const char* mode) {
  const std::string& path = TheStack().path();
  std::vector<uint8_t> flat(size_t(kWidth) * kHeight * kDepth);
  for (auto _ : state) {
    TIFF* tif = Open(path, mode);
    int page = 0;
    do {
      uint8_t* dst = flat.data() + size_t(page) * kWidth * kHeight;
      const uint32_t strips = TIFFNumberOfStrips(tif);
      for (uint32_t s = 0; s < strips; ++s) {
        const tmsize_t got = TIFFReadEncodedStrip(tif, s, dst, -1);
        dst += got;
      }
      ++page;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    benchmark::DoNotOptimize(flat.data());
    if (page != kDepth) state.SkipWithError("wrong page count");
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
