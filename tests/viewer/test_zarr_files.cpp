// OME-Zarr folders written by an independent writer (Debian's python3-zarr with numcodecs),
// read end to end through ReadVolume and compared plane by plane with what zarr itself reads
// back (tests/viewer/zarr/write_ome_zarr.py writes both); and damaged folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/tiff_fixture.h"
#include "viewer/volume_loader.h"
#include "viewer/zarr_volume.h"

namespace lumetrix {
namespace {

namespace fs = std::filesystem;
using test_support::TempDir;

bool HaveZarr() { return std::system("/usr/bin/python3 -c 'import zarr, numcodecs' 2>/dev/null") == 0; }

// Writes `folder` (and expected_<level>.raw beside it) from a generator recipe.
void WriteZarr(const std::string& folder, const std::string& recipe) {
  const std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/viewer/zarr/write_ome_zarr.py '" + folder +
                              "' '" + recipe + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::optional<VolumeData> Read(const std::string& path, std::string& error, uint64_t max_bytes = 0) {
  imaging::ImageBox image;
  NullProgress progress;
  VolumeLoadOptions options;
  options.MaxBytes = max_bytes;
  return ReadVolume(path, image, progress, error, options);
}

TEST(ZarrFiles, LevelsOpenAsZarrReadsThem) {
  if (!HaveZarr()) GTEST_SKIP() << "Debian's python3-zarr and python3-numcodecs are not installed (scripts/deps.sh --test)";
  const std::string mu = "\xC2\xB5m";
  struct Case {
    const char* recipe;
    const char* suffix;  // added to the folder's path when opening
    uint64_t max_bytes;
    int level;  // expected shown, from 0
    int width, height, slices, channels, frames, bits;
    double voxel[3];
    std::string unit;
  };
  // The generator halves x and y per level (14x12 -> 7x6 -> 4x3) and doubles their scale. Budgets
  // count the shown 8-bit volume: 14*12*5*3 = 2520 bytes for two channels, 7*6*5*3 = 630.
  const Case cases[] = {
      {R"({"dtype":"u1","axes":"zyx","shape":[5,12,14],"chunks":[2,5,6],"compressor":"none","scale":[0.5,0.5,2],"unit":"micrometer"})",
       "", 0, 0, 14, 12, 5, 1, 1, 8, {0.5, 0.5, 2}, mu},
      {R"({"dtype":"u2","axes":"czyx","shape":[2,5,12,14],"chunks":[1,3,8,8],"compressor":"blosc-lz4","levels":2,"drop":true,"scale":[80,80,300],"unit":"nanometer"})",
       "/", 0, 0, 14, 12, 5, 2, 1, 16, {80, 80, 300}, "nm"},
      {R"({"dtype":"i2","axes":"tczyx","shape":[2,2,5,12,14],"chunks":[1,1,2,5,6],"compressor":"blosc-zstd-bitshuffle","levels":3,"zhalve":true,"separator":"/","drop":true,"scale":[0.5,0.5,2],"unit":"micrometer"})",
       "/.zattrs", 700, 1, 7, 6, 3, 2, 2, 16, {1, 1, 4}, mu},
      {R"({"dtype":"f4","axes":"tczyx","shape":[3,1,4,12,14],"chunks":[2,1,4,12,14],"compressor":"blosc-zlib-noshuffle","levels":3,"zhalve":true,"streamed":true,"scale":[0.5,0.5,500],"unit":"micrometer","zunit":"nanometer"})",
       "", 50, 2, 4, 3, 1, 1, 3, 16, {2, 2, 2}, mu},
      {R"({"dtype":">u2","axes":"zyx","shape":[5,12,14],"chunks":[5,4,4],"compressor":"zstd","drop":true,"fill":7})",
       "", 0, 0, 14, 12, 5, 1, 1, 16, {1, 1, 1}, "pixel"},
      {R"({"dtype":"u1","axes":"czyx","shape":[3,4,12,14],"chunks":[2,2,7,9],"compressor":"zlib","separator":"/","scale":[2,2,3],"unit":"millimeter"})",
       "", 0, 0, 14, 12, 4, 3, 1, 8, {2, 2, 3}, "mm"},
      {R"({"dtype":"f4","axes":"zyx","shape":[6,12,14],"chunks":[4,12,5],"compressor":"gzip","drop":true,"fill":-30,"scale":[0.25,0.25,1],"unit":"micrometer"})",
       "", 0, 0, 14, 12, 6, 1, 1, 16, {0.25, 0.25, 1}, mu},
  };
  TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recipe);
    const fs::path folder = dir.path() / std::to_string(++n) / "h.zarr";
    fs::create_directories(folder.parent_path());
    WriteZarr(folder.string(), c.recipe);
    std::string error;
    const auto v = Read(folder.string() + c.suffix, error, c.max_bytes);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(std::tuple(v->Width, v->Height, v->Depth, v->FileChannels, v->TimePoints, v->ChannelBits),
              std::tuple(c.width, c.height, c.slices, c.channels, c.frames, c.bits));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v->Voxel[i], c.voxel[i], 1e-9 * c.voxel[i]) << i;
    EXPECT_EQ(v->VoxelUnit, c.unit);
    const std::string levels = std::string(c.recipe).find("\"levels\":3") != std::string::npos ? "3" : "2";
    std::string size = std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.slices);
    if (c.channels > 1) size.append(" ").append(std::to_string(c.channels)).append("ch");
    if (c.frames > 1) size.append(" ").append(std::to_string(c.frames)).append("t");
    if (c.level > 0) {
      // The finest level beyond the budget: the pyramid is streamed, this level read first.
      EXPECT_EQ(v->Note, "level " + std::to_string(c.level + 1) + " of " + levels + " (" + size +
                             ") in memory; the ray-cast render modes load finer detail where the view needs it");
      EXPECT_NE(v->Pyramid, nullptr);
      const std::string line = ZarrLevelLines(folder.string(), *v).at(size_t(c.level));
      const std::string start = "level " + std::to_string(c.level + 1) + " of " + levels + ": " + size + ", ";
      EXPECT_EQ(line.substr(0, start.size()), start);
      EXPECT_EQ(line.substr(line.size() - 8), " (shown)");
    } else {
      EXPECT_EQ(v->Note, "");
    }
    // Held samples stand for the stored ones: int16 shifted, float32 over its finite range.
    std::istringstream stored(ReadAll(folder.parent_path() / ("stored_" + std::to_string(c.level) + ".txt")));
    double stored_lo = 0, stored_hi = 0;
    std::string dtype;
    stored >> stored_lo >> stored_hi >> dtype;
    const char* type = dtype == "int16" ? "16-bit signed" : dtype == "float32" ? "32-bit float" : dtype == "uint8" ? "8-bit" : "16-bit";
    EXPECT_EQ(v->Values.TypeName(), type);
    if (dtype == "int16" || dtype == "float32") {
      EXPECT_EQ(std::pair(v->Values.Stored(0), v->Values.Stored(65535)), dtype == "int16" ? std::pair(-32768.0, 32767.0) : std::pair(stored_lo, stored_hi));
    }
    // Every plane against zarr's own reading, in (t, c, z) order.
    const std::string expected = ReadAll(folder.parent_path() / ("expected_" + std::to_string(c.level) + ".raw"));
    const imaging::Hyperstack* s = v->Stack.get();
    const size_t plane = size_t(c.width) * size_t(c.height) * size_t(c.bits / 8);
    ASSERT_EQ(expected.size(), plane * size_t(c.slices * c.channels * c.frames));
    for (int ch = 0; s && std::string(c.recipe).find("czyx") != std::string::npos && ch < c.channels; ++ch) {
      const imaging::ChannelLook& look = s->looks.at(size_t(ch));
      EXPECT_EQ(std::tuple(look.name, look.has_colour, look.red, look.green, look.blue),
                std::tuple("ch" + std::to_string(ch), true, 0x40 * (ch + 1), 0, 0x20));
    }
    if (!s) {  // one 8-bit channel: the shown samples are the stored ones, slices fastest
      for (int z = 0; z < c.slices; ++z)
        for (int y = 0; y < c.height; ++y)
          for (int x = 0; x < c.width; ++x)
            ASSERT_EQ(v->At(z, x, y), uint8_t(expected[plane * size_t(z) + size_t(y * c.width + x)])) << z << y << x;
      continue;
    }
    for (int t = 0; t < c.frames; ++t)
      for (int ch = 0; ch < c.channels; ++ch)
        for (int z = 0; z < c.slices; ++z) {
          const size_t p = size_t((t * c.channels + ch) * c.slices + z);
          ASSERT_EQ(std::string(reinterpret_cast<const char*>(s->Plane(ch, z, t)), plane), expected.substr(plane * p, plane))
              << "t " << t << " c " << ch << " z " << z;
          if (c.bits == 8) continue;
          std::vector<uint16_t> values(plane / 2);
          std::memcpy(values.data(), expected.data() + plane * p, plane);
          const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
          EXPECT_EQ(s->plane_ranges.at(p), std::pair(*lo, *hi)) << p;  // what auto contrast starts from
        }
  }
}

TEST(ZarrFiles, DamagedFoldersAreRefusedWithTheReason) {
  if (!HaveZarr()) GTEST_SKIP() << "Debian's python3-zarr and python3-numcodecs are not installed (scripts/deps.sh --test)";
  const auto put = [](const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
  const auto edit = [&](const fs::path& path, const std::string& from, const std::string& to) {
    std::string text = ReadAll(path);
    text.replace(text.find(from), from.size(), to);
    put(path, text);
  };
  struct Case {
    const char* compressor;
    std::function<void(const fs::path&)> damage;
    std::string message;
  };
  const Case cases[] = {
      {"zlib", [&](const fs::path& f) { fs::resize_file(f / "0/0.0.0", fs::file_size(f / "0/0.0.0") / 2); },
       "chunk 0.0.0 of level 1 of h.zarr is truncated (the zlib stream ends early)."},
      {"blosc-lz4", [&](const fs::path& f) { fs::resize_file(f / "0/0.0.1", 20); },
       "chunk 0.0.1 of level 1 of h.zarr is not a complete blosc block."},
      // 2 x 5 x 6 uint16 samples: 120 bytes.
      {"none", [&](const fs::path& f) { put(f / "0/1.1.1", std::string(100, 'x')); },
       "chunk 1.1.1 of level 1 of h.zarr decodes to 100 bytes instead of the 120 bytes of its chunk shape."},
      {"none", [&](const fs::path& f) { put(f / ".zattrs", R"({"multiscales": [{"axes": [)"); },
       ".zattrs of h.zarr is not valid JSON."},
      {"none", [&](const fs::path& f) { edit(f / "0/.zarray", "\"<u2\"", "\">f8\""); },
       "level 1 of h.zarr stores samples of type \">f8\"; uint8, uint16, int16 and float32"},
      // 10^12 voxels of 2 bytes and three chunk buffers of 100 * 400 * 400 * 2 bytes, in a few KB
      // of chunk files: (2e12 + 9.6e7) / 2^20 = 1907440.2, rounded up.
      {"none", [&](const fs::path& f) {
         edit(f / "0/.zarray", "5,\n        12,\n        14", "10000, 10000, 10000");
         edit(f / "0/.zarray", "2,\n        5,\n        6", "100, 400, 400");
       },
       "level 1 of h.zarr would take 1907441 MB to decode (10000x10000x10000) from chunk files of "},
      {"none", [&](const fs::path& f) { edit(f / ".zattrs", "\"path\": \"0\"", "\"path\": \"0/../../x\""); },
       ".zattrs of h.zarr names a level outside its folder: \"0/../../x\"."},
  };
  TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const fs::path folder = dir.path() / std::to_string(++n) / "h.zarr";
    fs::create_directories(folder.parent_path());
    WriteZarr(folder.string(), std::string(R"({"dtype":"u2","axes":"zyx","shape":[5,12,14],"chunks":[2,5,6],"compressor":")") +
                                   c.compressor + "\"}");
    c.damage(folder);
    std::string error;
    EXPECT_FALSE(Read(folder.string(), error));
    EXPECT_EQ(error.substr(0, c.message.size()), c.message);
  }
}

// Progress "Reading Image", one step per chunk (3 x 3 x 3 here), and Cancel after the first.
TEST(ZarrFiles, ReadingShowsProgressAndStopsOnCancel) {
  if (!HaveZarr()) GTEST_SKIP() << "Debian's python3-zarr and python3-numcodecs are not installed (scripts/deps.sh --test)";
  struct CancelAfterOne : NullProgress {
    std::string caption;
    int32_t maximum = 0, steps = 0;
    void ShowProgress(const std::string& c, int32_t, int32_t m) override { caption = c, maximum = m; }
    void SetProgress(int32_t) override { ++steps; }
    bool Cancelled() const override { return steps > 0; }
  } progress;
  TempDir dir;
  const std::string folder = dir.File("h.zarr");
  WriteZarr(folder, R"({"dtype":"u1","axes":"zyx","shape":[5,12,14],"chunks":[2,5,6],"compressor":"zlib"})");
  imaging::ImageBox image;
  std::string error;
  EXPECT_FALSE(ReadVolume(folder, image, progress, error));
  EXPECT_EQ(std::tuple(progress.caption, progress.maximum, progress.steps, error),
            std::tuple("Reading Image", 27, 1, "Reading h.zarr was stopped."));
}

}  // namespace
}  // namespace lumetrix
