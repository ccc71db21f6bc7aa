// Joining 200 single-page 512 x 512 grey TIFF files into one 24-bit multi-page file, beside
// libtiff's own tiffcp copying the same pages into one file (run as a program, as users would).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/grey_stack.h"
#include "bench/support/temp_folders.h"
#include "export/series/join_series.h"

extern char** environ;

namespace {

constexpr int kSlices = 200;
constexpr int kSize = 512;

// A folder of confocal-like slices: a few bright blobs that move with z, on a noisy background.
class SliceFolder {
 public:
  SliceFolder() : scratch_("lumetrix-bench-series"), folder_(scratch_.path().string()) {
    lumetrix::bench::GreyPage format;
    format.width = format.height = kSize;
    format.rows_per_strip = 16;
    uint32_t noise = 12345;
    for (int z = 0; z < kSlices; ++z) {
      char name[32];
      std::snprintf(name, sizeof name, "slice%03d.tif", z);
      const std::string path = folder_ + "/" + name;
      lumetrix::bench::WriteGreyStack(path, format, 1, [&](int, uint32_t row_y, uint8_t* row) {
        const int y = static_cast<int>(row_y);
        for (int x = 0; x < kSize; ++x) {
          noise = noise * 1664525u + 1013904223u;
          int v = static_cast<int>(noise >> 29);  // 0..7 background
          for (int b = 0; b < 6; ++b) {
            const int cx = 60 + 80 * b + (z % 40), cy = 80 + 60 * b - (z % 30);
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 < 900) v += 200 - d2 / 5;
          }
          row[static_cast<size_t>(x)] = static_cast<uint8_t>(v > 255 ? 255 : v);
        }
      });
      paths_.push_back(path);
    }
  }
  const std::vector<std::string>& Paths() const { return paths_; }
  std::string Output(const char* name) const { return folder_ + "/" + name; }

 private:
  lumetrix::bench::ScratchFolder scratch_;
  std::string folder_;
  std::vector<std::string> paths_;
};

const SliceFolder& Slices() {
  static const SliceFolder folder;
  return folder;
}

int64_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<int64_t>(size);
}

void BM_JoinTiffSeries(benchmark::State& state) {
  const SliceFolder& slices = Slices();
  const std::string out = slices.Output("joined.tif");
  for (auto _ : state) {
    const auto result = lumetrix::series::JoinTiffSeries(slices.Paths(), out);
    if (!result.Written) state.SkipWithError(result.Error.c_str());
  }
  state.counters["pages"] = kSlices;
  state.counters["MB_out"] = static_cast<double>(FileSize(out)) / 1e6;
}

// tiffcp [options] IN... OUT, spawned like any program.
void RunTiffcp(benchmark::State& state, const std::vector<std::string>& options) {
  const SliceFolder& slices = Slices();
  const std::string out = slices.Output("tiffcp.tif");
  std::vector<std::string> args{"tiffcp"};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), slices.Paths().begin(), slices.Paths().end());
  args.push_back(out);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    std::filesystem::remove(out);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "tiffcp", nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("tiffcp could not be started (libtiff-tools)");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("tiffcp failed");
      break;
    }
  }
  state.counters["pages"] = kSlices;
  state.counters["MB_out"] = static_cast<double>(FileSize(out)) / 1e6;
}

// The pages as they are (8-bit grey, uncompressed like the slices).
void BM_TiffcpCopy(benchmark::State& state) { RunTiffcp(state, {}); }
// The same with the LZW compression our output carries.
void BM_TiffcpCopyLzw(benchmark::State& state) { RunTiffcp(state, {"-c", "lzw"}); }

// What the join costs in libtiff alone: the same pages read, widened to 24-bit and written into
// one open file, uncompressed (0) or LZW (1). The floor for any 24-bit join.
void BM_LibtiffJoin24(benchmark::State& state) {
  const SliceFolder& slices = Slices();
  const std::string out = slices.Output("libtiff24.tif");
  const uint16_t compression = state.range(0) ? COMPRESSION_LZW : COMPRESSION_NONE;
  std::vector<uint8_t> grey(kSize), rgb(3 * kSize);
  for (auto _ : state) {
    TIFF* dst = TIFFOpen(out.c_str(), "w");
    for (const std::string& path : slices.Paths()) {
      TIFF* src = TIFFOpen(path.c_str(), "r");
      if (!src || !dst) {
        state.SkipWithError("libtiff open failed");
        return;
      }
      TIFFSetField(dst, TIFFTAG_IMAGEWIDTH, kSize);
      TIFFSetField(dst, TIFFTAG_IMAGELENGTH, kSize);
      TIFFSetField(dst, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(dst, TIFFTAG_SAMPLESPERPIXEL, 3);
      TIFFSetField(dst, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
      TIFFSetField(dst, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
      TIFFSetField(dst, TIFFTAG_COMPRESSION, compression);
      TIFFSetField(dst, TIFFTAG_ROWSPERSTRIP, (64 * 1024) / (3 * kSize));
      for (uint32_t y = 0; y < kSize; ++y) {
        TIFFReadScanline(src, grey.data(), y, 0);
        for (int x = 0; x < kSize; ++x) rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = grey[static_cast<size_t>(x)];
        TIFFWriteScanline(dst, rgb.data(), y, 0);
      }
      TIFFWriteDirectory(dst);
      TIFFClose(src);
    }
    TIFFClose(dst);
  }
  state.counters["pages"] = kSlices;
  state.counters["MB_out"] = static_cast<double>(FileSize(out)) / 1e6;
}

}  // namespace

// Wall-clock time throughout: tiffcp's work happens in a child process.
BENCHMARK(BM_JoinTiffSeries)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_TiffcpCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_TiffcpCopyLzw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_LibtiffJoin24)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

BENCHMARK_MAIN();
