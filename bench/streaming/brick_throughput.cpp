// BrickThroughput/bare_decode/*, BrickThroughput/bricks_uploaded/*, on one thread each, of two
// sets of chunks (64^3, blosc at level 5):
//   dense: the 512 x 512 x 256 dense fluorescence-like level (256 chunks), lz4 or zstd. Its
//     8-bit noise does not compress under lz4: blosc keeps those chunks as they are, and their
//     bare decode is a copy;
//   sparse: the written chunks of the finest level of the 2048 x 2048 x 1000 sparse volume of the
//     first picture (the balls), lz4.
//   bare: DecodeZarrChunk of every chunk, the stored bytes read from their files beforehand;
//   bricks: the brick of every chunk (66^3 with its border, so each touches up to 27 chunks)
//     read through the Zarr brick source (ReadBox of StoredBox, the chunk cache at 64 MB as the
//     viewer gives it under --memory 512, or at 128 MB, where the dense level fits, so that no
//     chunk is decoded twice; opened anew each pass so nothing decoded stays), and
//     uploaded with glTexSubImage3D into an 8-bit atlas texture as BrickedVolume does, glFinish
//     at the end. Driven here on the calling thread rather than through BrickCache's workers, so
//     that one core does the reading and the uploading.
// Both count the chunks' bytes per second. Required: bricks at least half of bare. The bricks'
// pass also reports its time reading the bricks (read_ms) and uploading them (upload_ms).
// Storage a pass frees is kept for the next, as the viewer's chunk cache keeps evicted chunks'
// storage and the bare decode writes into one buffer: given back to the system, whether it is
// depends on where the heap's last allocation lies, and on this virtual machine faulting it in
// again (about 5 us a page) took up to 3 times the pass.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <malloc.h>
#include <stdexcept>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/streaming/streaming_volumes.h"
#include "bench/support/cpu_time.h"
#include "imaging/zarr/zarr_chunk.h"
#include "render/gl_shader_functions.h"
#include "render/offscreen_view.h"
#include "streaming/brick_grid.h"
#include "streaming/zarr_brick_source.h"

namespace lumetrix {
namespace {

constexpr int kAtlasSlots = 4;  // per axis: the bricks go round 64 slots, as they would in a full atlas

double bare_mb_per_s = 0;  // set by BrickThroughput/bare_decode of the same chunks, which runs first

// The chunks measured: of level 0 of `volume`, at these places (x, y, z in chunks).
struct ChunkSet {
  const bench::StreamingVolume& volume;
  std::vector<std::array<int, 3>> places;
  double Megabytes() const { return double(places.size()) * 64 * 64 * 64 / (1 << 20); }
};

std::string ChunkFile(const bench::StreamingVolume& v, const std::array<int, 3>& c) {
  return v.path + "/0/" + std::to_string(c[2]) + "." + std::to_string(c[1]) + "." + std::to_string(c[0]);
}

// Every chunk of the dense level, or the written ones of the sparse volume's finest level.
const ChunkSet& Chunks(const std::string& which) {
  auto of = [](const bench::StreamingVolume& v) {
    ChunkSet set{v, {}};
    for (int z = 0; z * 64 < v.depth; ++z)
      for (int y = 0; y * 64 < v.height; ++y)
        for (int x = 0; x * 64 < v.width; ++x)
          if (std::filesystem::exists(ChunkFile(v, {x, y, z}))) set.places.push_back({x, y, z});
    return set;
  };
  if (which == "dense/lz4") {
    static const ChunkSet lz4 = of(bench::DenseLevelVolume(false));
    return lz4;
  }
  if (which == "dense/zstd") {
    static const ChunkSet zstd = of(bench::DenseLevelVolume(true));
    return zstd;
  }
  static const ChunkSet sparse = of(bench::BigSparseVolume());
  return sparse;
}

void Report(benchmark::State& state, const ChunkSet& set, double wall, double cpu) {
  const double mb_per_s = wall > 0 ? set.Megabytes() * double(state.iterations()) / wall : 0;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(set.places.size()) * 64 * 64 * 64);
  state.counters["chunk_MB_per_s"] = mb_per_s;
  state.counters["cpu_per_wall"] = wall > 0 ? cpu / wall : 0;
  state.counters["chunks"] = double(set.places.size());
  uint64_t stored = 0;
  for (const auto& c : set.places) stored += std::filesystem::file_size(ChunkFile(set.volume, c));
  state.counters["stored_MB"] = double(stored) / (1 << 20);
}

void BareDecode(benchmark::State& state, const std::string& which) {
  const ChunkSet& set = Chunks(which);
  std::vector<std::vector<uint8_t>> stored;
  for (const auto& c : set.places) {
    stored.emplace_back();
    if (!imaging::ReadZarrChunkFile(ChunkFile(set.volume, c), 64 * 64 * 64, stored.back(), "chunk"))
      return state.SkipWithError("a chunk file went missing");
  }
  if (stored.empty()) return state.SkipWithError("no chunks");
  std::vector<uint8_t> decoded(64 * 64 * 64);
  double wall = 0;
  const double cpu = bench::ThreadCpuSeconds();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& raw : stored)
      imaging::DecodeZarrChunk(imaging::ZarrCodec::kBlosc, raw.data(), raw.size(), decoded.data(), decoded.size(), "chunk");
    benchmark::DoNotOptimize(decoded.data());
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  Report(state, set, wall, bench::ThreadCpuSeconds() - cpu);
  bare_mb_per_s = set.Megabytes() * double(state.iterations()) / wall;
}

// The level assembled from its chunks decoded one by one (file names z.y.x, as written), x
// fastest: what every brick is checked against.
std::vector<uint8_t> DecodedLevel(const bench::StreamingVolume& v) {
  std::vector<uint8_t> level(size_t(v.width) * v.height * v.depth), raw, chunk(64 * 64 * 64);
  for (int cz = 0; cz * 64 < v.depth; ++cz)
    for (int cy = 0; cy * 64 < v.height; ++cy)
      for (int cx = 0; cx * 64 < v.width; ++cx) {
        const std::string file = v.path + "/0/" + std::to_string(cz) + "." + std::to_string(cy) + "." + std::to_string(cx);
        if (!imaging::ReadZarrChunkFile(file, chunk.size(), raw, file)) throw std::runtime_error(file + " is missing");
        imaging::DecodeZarrChunk(imaging::ZarrCodec::kBlosc, raw.data(), raw.size(), chunk.data(), chunk.size(), file);
        for (int z = 0; z < 64 && cz * 64 + z < v.depth; ++z)
          for (int y = 0; y < 64 && cy * 64 + y < v.height; ++y)
            std::copy_n(chunk.data() + (size_t(z) * 64 + size_t(y)) * 64, std::min(64, v.width - cx * 64),
                        level.data() + (size_t(cz * 64 + z) * v.height + size_t(cy * 64 + y)) * v.width + size_t(cx) * 64);
      }
  return level;
}

// True when `brick` (StoredBox of `key`) holds the level's voxels, edge voxels repeated beyond it.
bool BrickMatches(const std::vector<uint8_t>& level, const bench::StreamingVolume& v, const streaming::BrickKey& key,
                  const std::vector<uint8_t>& brick) {
  const streaming::VoxelBox box = streaming::StoredBox(key);
  size_t i = 0;
  for (int z = box.z0; z < box.z0 + box.d; ++z)
    for (int y = box.y0; y < box.y0 + box.h; ++y)
      for (int x = box.x0; x < box.x0 + box.w; ++x, ++i) {
        const size_t at = (size_t(std::clamp(z, 0, v.depth - 1)) * v.height + size_t(std::clamp(y, 0, v.height - 1))) *
                              v.width + size_t(std::clamp(x, 0, v.width - 1));
        if (brick[i] != level[at]) return false;
      }
  return true;
}

void BricksUploaded(benchmark::State& state, const std::string& which, int cache_mb) {
  const ChunkSet& set = Chunks(which);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  const bench::StreamingVolume& v = set.volume;
  OffscreenView surface;
  std::string why;
  GlShaderFunctions gl;
  if (!surface.Activate(why) || !surface.SetSize(64, 64) || !surface.MakeCurrent() || !gl.Load(CurrentGlProc, why))
    return state.SkipWithError(why.c_str());
  using streaming::kBrickSlot;
  GLuint atlas = 0;
  glGenTextures(1, &atlas);
  glBindTexture(GL_TEXTURE_3D, atlas);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const int side = kAtlasSlots * kBrickSlot;
  gl.TexImage3D(GL_TEXTURE_3D, 0, GL_LUMINANCE8, side, side, side, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, nullptr);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  std::vector<uint8_t> brick(streaming::kBrickSlotVoxels);
  double wall = 0, reading = 0;
  const double cpu = bench::ThreadCpuSeconds();
  try {
    if (which.rfind("dense", 0) == 0) {
      // Checked once, before the clock: the corner, an inner and the last brick hold the level.
      const int bx = streaming::BricksAlong(v.width), by = streaming::BricksAlong(v.height),
                bz = streaming::BricksAlong(v.depth);
      const std::vector<uint8_t> level = DecodedLevel(v);
      const auto checked = streaming::OpenZarrBrickSource(v.path, uint64_t(cache_mb) << 20);
      for (const streaming::BrickKey key : {streaming::BrickKey{0, 0, 0, 0, 0}, streaming::BrickKey{0, 0, 2, 3, 1},
                                            streaming::BrickKey{0, 0, bx - 1, by - 1, bz - 1}}) {
        checked->ReadBox(0, 0, 0, streaming::StoredBox(key), brick.data());
        if (!BrickMatches(level, v, key, brick)) return state.SkipWithError("a brick differs from the decoded chunks");
      }
    }
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      const auto source = streaming::OpenZarrBrickSource(v.path, uint64_t(cache_mb) << 20);
      int slot = 0;
      for (const auto& c : set.places) {
        const auto read = std::chrono::steady_clock::now();
        source->ReadBox(0, 0, 0, streaming::StoredBox({0, 0, c[0], c[1], c[2]}), brick.data());
        reading += std::chrono::duration<double>(std::chrono::steady_clock::now() - read).count();
        const int s = slot++ % (kAtlasSlots * kAtlasSlots * kAtlasSlots);
        gl.TexSubImage3D(GL_TEXTURE_3D, 0, s % kAtlasSlots * kBrickSlot, s / kAtlasSlots % kAtlasSlots * kBrickSlot,
                         s / (kAtlasSlots * kAtlasSlots) * kBrickSlot, kBrickSlot, kBrickSlot, kBrickSlot, GL_LUMINANCE,
                         GL_UNSIGNED_BYTE, brick.data());
      }
      glFinish();
      wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
  Report(state, set, wall, bench::ThreadCpuSeconds() - cpu);
  if (bare_mb_per_s > 0 && wall > 0) state.counters["of_bare"] = set.Megabytes() * double(state.iterations()) / wall / bare_mb_per_s;
  const double passes = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["read_ms"] = reading * 1000 / passes;
  state.counters["upload_ms"] = (wall - reading) * 1000 / passes;
  glBindTexture(GL_TEXTURE_3D, 0);
  glDeleteTextures(1, &atlas);
}

void RegisterThroughput() {
  for (const std::string which : {"dense/lz4", "dense/zstd", "sparse/lz4"}) {
    benchmark::RegisterBenchmark(("BrickThroughput/bare_decode/" + which).c_str(), BareDecode, which)
        ->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMillisecond);
    for (int cache_mb : {64, 128})
      benchmark::RegisterBenchmark(("BrickThroughput/bricks_uploaded/" + which + "/chunk_cache_MB:" + std::to_string(cache_mb)).c_str(),
                                   BricksUploaded, which, cache_mb)
          ->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMillisecond);
  }
}
const bool registered = (RegisterThroughput(), true);

}  // namespace
}  // namespace lumetrix
