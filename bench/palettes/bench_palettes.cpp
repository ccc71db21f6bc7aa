// Colouring grey slices through a table: in memory (what the texture builder calls per slice)
// against writing the indexed bitmap file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "bench/support/temp_folders.h"
#include "palettes/build_lut.h"
#include "palettes/lut_bitmap.h"
#include "palettes/palette_catalogue.h"

namespace {

using namespace lumetrix::palettes;

std::vector<uint8_t> GreySlice(int32_t w, int32_t h) {
  std::vector<uint8_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  std::mt19937 rng(7);
  for (auto& p : px) p = static_cast<uint8_t>(rng());
  return px;
}

void BM_ColourSlice(benchmark::State& state) {
  const auto w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const auto px = GreySlice(w, h);
  const Lut lut = BuildLut(PaletteKind::FalseColor);
  BgrImage out;
  for (auto _ : state) {
    ColourSlice(px, w, h, lut, out);
    benchmark::DoNotOptimize(out.bgr.data());
  }
  state.SetItemsProcessed(state.iterations() * w * h);
  state.SetBytesProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_ColourSlice)->Args({512, 512})->Args({510, 30})->Args({1024, 1024})->Args({2048, 2048});

void BM_WriteLutBitmap(benchmark::State& state) {
  const auto w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const auto px = GreySlice(w, h);
  const Lut lut = BuildLut(PaletteKind::FalseColor);
  const lumetrix::bench::ScratchFolder scratch("bench-palettes");
  const auto path = scratch.path() / "texture.bmp";
  for (auto _ : state) WriteLutBitmap(path, w, h, px, lut);
  state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_WriteLutBitmap)->Args({512, 512});

void BM_TableForBuiltIn(benchmark::State& state) {
  PaletteCatalogue cat;
  for (auto _ : state) benchmark::DoNotOptimize(cat.TableFor(6));
}
BENCHMARK(BM_TableForBuiltIn);

}  // namespace
