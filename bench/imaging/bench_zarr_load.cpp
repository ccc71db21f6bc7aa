// Opening a 2-channel 16-bit 1024 x 1024 x 100 fluorescence-like volume as the viewer does
// (ReadVolume: samples on all cores, then the shown 8-bit volume), side by side in one run:
// an OME-Zarr folder in 64^3 blosc-zstd chunks (written here with libblosc as numcodecs'
// Blosc(cname="zstd", clevel=5, shuffle=SHUFFLE) writes them) and the same samples as a plain
// uncompressed ImageJ TIFF. Both are written once, into a private temporary folder, and read from
// the page cache: the OME-Zarr's 114 MB against the TIFF's 400 MB only tell from a cold disk.

#include <benchmark/benchmark.h>
#include <blosc.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/cpu_time.h"
#include "bench/support/fluorescence_volume.h"
#include "bench/support/grey_stack.h"
#include "bench/support/temp_folders.h"
#include "imaging/hyperstack_reader.h"
#include "imaging/zarr/zarr_reader.h"
#include "viewer/volume_loader.h"

namespace {

using namespace lumetrix::bench;
constexpr int kSide = 1024, kDepth = 100, kChannels = 2, kChunk = 64;

class TwoChannelFiles {
 public:
  TwoChannelFiles() : folder_("lumetrix-bench-zarr") {
    // Channel 2 is channel 1 mirrored left to right: different samples, the same statistics.
    const std::vector<uint16_t> counts = FluorescenceCounts(kSide, kDepth, 16);
    const auto sample = [&](int c, int z, int y, int x) {
      return counts[(size_t(z) * kSide + size_t(y)) * kSide + size_t(c == 0 ? x : kSide - 1 - x)];
    };
    tiff_ = (folder_.path() / "stack.tif").string();
    GreyPage page;
    page.width = page.height = kSide;
    page.bits = 16;
    page.description = "ImageJ=1.11a\nimages=200\nchannels=2\nslices=100\nhyperstack=true\nmode=composite\n";
    WriteGreyStack(tiff_, page, kChannels * kDepth, [&](int p, uint32_t y, uint8_t* row) {
      for (int x = 0; x < kSide; ++x) {  // pages channel fastest, as ImageJ orders them
        const uint16_t v = sample(p % kChannels, p / kChannels, int(y), x);
        std::memcpy(row + 2 * x, &v, 2);
      }
    });

    zarr_ = (folder_.path() / "stack.zarr").string();
    std::filesystem::create_directories(zarr_ + "/0");
    std::ofstream(zarr_ + "/.zgroup") << R"({"zarr_format": 2})";
    std::ofstream(zarr_ + "/.zattrs") << R"({"multiscales": [{"version": "0.4", "axes": [)"
                                         R"({"name": "c", "type": "channel"}, {"name": "z", "type": "space", "unit": "micrometer"},)"
                                         R"({"name": "y", "type": "space", "unit": "micrometer"}, {"name": "x", "type": "space", "unit": "micrometer"}],)"
                                         R"("datasets": [{"path": "0", "coordinateTransformations": [{"type": "scale", "scale": [1, 1, 0.2, 0.2]}]}]}]})";
    std::ofstream(zarr_ + "/0/.zarray")
        << R"({"zarr_format": 2, "shape": [2, 100, 1024, 1024], "chunks": [1, 64, 64, 64], "dtype": "<u2",)"
           R"( "compressor": {"id": "blosc", "cname": "zstd", "clevel": 5, "shuffle": 1, "blocksize": 0},)"
           R"( "fill_value": 0, "order": "C", "filters": null})";
    std::vector<uint16_t> chunk(size_t(kChunk) * kChunk * kChunk);
    std::vector<uint8_t> stored(chunk.size() * 2 + BLOSC_MAX_OVERHEAD);
    for (int c = 0; c < kChannels; ++c)
      for (int z0 = 0; z0 < kDepth; z0 += kChunk)
        for (int y0 = 0; y0 < kSide; y0 += kChunk)
          for (int x0 = 0; x0 < kSide; x0 += kChunk) {
            std::fill(chunk.begin(), chunk.end(), 0);  // past the last slice: fill_value, as zarr pads
            for (int z = z0; z < std::min(kDepth, z0 + kChunk); ++z)
              for (int y = y0; y < y0 + kChunk; ++y)
                for (int x = x0; x < x0 + kChunk; ++x)
                  chunk[(size_t(z - z0) * kChunk + size_t(y - y0)) * kChunk + size_t(x - x0)] = sample(c, z, y, x);
            const int n = blosc_compress_ctx(5, BLOSC_SHUFFLE, 2, chunk.size() * 2, chunk.data(), stored.data(),
                                             stored.size(), "zstd", 0, 2);
            if (n <= 0) throw std::runtime_error("blosc could not compress a chunk");
            const std::string key = std::to_string(c) + "." + std::to_string(z0 / kChunk) + "." +
                                    std::to_string(y0 / kChunk) + "." + std::to_string(x0 / kChunk);
            std::ofstream(zarr_ + "/0/" + key, std::ios::binary).write(reinterpret_cast<const char*>(stored.data()), n);
            zarr_bytes_ += n;
          }
  }
  const std::string& Path(bool zarr) const { return zarr ? zarr_ : tiff_; }
  int64_t zarr_bytes() const { return zarr_bytes_; }

 private:
  ScratchFolder folder_;
  std::string tiff_, zarr_;
  int64_t zarr_bytes_ = 0;
};

const TwoChannelFiles& Files() {
  static TwoChannelFiles files;
  return files;
}

// Arg 1: the OME-Zarr folder; 0: the uncompressed TIFF.
void BM_OpenTwoChannels(benchmark::State& state) {
  const bool zarr = state.range(0) == 1;
  const std::string& path = Files().Path(zarr);
  const double cpu = ProcessCpuSeconds();
  for (auto _ : state) {
    lumetrix::imaging::ImageBox image;
    lumetrix::NullProgress progress;
    std::string error;
    auto v = lumetrix::ReadVolume(path, image, progress, error);
    if (!v || v->FileChannels != kChannels || v->Depth != kDepth) {
      state.SkipWithError(v ? "wrong size" : error.c_str());
      break;
    }
    benchmark::DoNotOptimize(v->Samples.data());
  }
  state.SetLabel(zarr ? "OME-Zarr, blosc zstd 64^3" : "TIFF, uncompressed");
  state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * kDepth * kChannels * 2);
  state.counters["all_threads_cpu_ms"] = 1000 * (ProcessCpuSeconds() - cpu) / double(state.iterations());
  if (zarr) state.counters["stored_MB"] = double(Files().zarr_bytes()) / (1 << 20);
}

// The readers alone, without the shown 8-bit volume both then make alike.
void BM_ReadSamples(benchmark::State& state) {
  const bool zarr = state.range(0) == 1;
  const std::string& path = Files().Path(zarr);
  const double cpu = ProcessCpuSeconds();
  for (auto _ : state) {
    lumetrix::NullProgress progress;
    std::string error;
    auto stack = zarr ? lumetrix::imaging::ReadZarrLevel(lumetrix::imaging::PlanZarr(path), 0, progress, error)
                      : lumetrix::imaging::ReadHyperstack(lumetrix::imaging::PlanHyperstack(path), progress, error);
    if (!stack || stack->channels != kChannels) {
      state.SkipWithError("not read");
      break;
    }
    benchmark::DoNotOptimize(stack->data.get());
  }
  state.SetLabel(zarr ? "OME-Zarr, blosc zstd 64^3" : "TIFF, uncompressed");
  state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * kDepth * kChannels * 2);
  state.counters["all_threads_cpu_ms"] = 1000 * (ProcessCpuSeconds() - cpu) / double(state.iterations());
}

}  // namespace

BENCHMARK(BM_ReadSamples)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_OpenTwoChannels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

BENCHMARK_MAIN();
