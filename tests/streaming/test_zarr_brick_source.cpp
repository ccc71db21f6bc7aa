// OME-Zarr pyramids written by Debian's python3-zarr, read box by box and compared with the same
// boxes cut by numpy (np.pad with mode="edge" beyond the level; tests/viewer/zarr/write_ome_zarr.py
// writes both), and damaged folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "imaging/image_box.h"
#include "streaming/zarr_brick_source.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;

bool HaveZarr() { return std::system("/usr/bin/python3 -c 'import zarr, numcodecs' 2>/dev/null") == 0; }

void WriteZarr(const fs::path& folder, const std::string& recipe) {
  fs::create_directories(folder.parent_path());
  const std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/viewer/zarr/write_ome_zarr.py '" +
                              folder.string() + "' '" + recipe + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// level, c, t (-1: the last), x0, y0, z0, w, h, d. Chunks are 20 x 24 x 4 (x, y, z) at level 0
// of every recipe but the fourth (20 x 16 x 3).
constexpr int kBoxes[][9] = {
    {0, 0, 0, 2, 3, 1, 10, 8, 2},         // inside one chunk
    {0, -1, -1, 15, 20, 2, 12, 10, 5},    // across chunk borders on every axis
    {0, 0, -1, -5, -4, -2, 70, 52, 14},   // beyond every edge
    {0, -1, 0, 49, 39, 8, 1, 1, 1},       // one voxel, the far corner (of 50 x 40 x 9)
    {0, 0, 0, 60, -10, 20, 3, 2, 2},      // wholly beyond: edge voxels only
    {1, -1, 0, -3, 5, -1, 30, 20, 8},     // level 2, beyond three edges
    {-1, 0, -1, 3, 2, 0, 5, 4, 3},        // the coarsest level kept
};

std::string BoxList(int levels, int channels, int frames) {
  std::string list = "[";
  for (const auto& b : kBoxes) {
    list += list.size() == 1 ? "[" : ",[";
    const int fixed[3] = {b[0] < 0 ? levels - 1 : b[0], b[1] < 0 ? channels - 1 : b[1], b[2] < 0 ? frames - 1 : b[2]};
    for (int i = 0; i < 9; ++i) {
      if (i) list += ',';
      list += std::to_string(i < 3 ? fixed[i] : b[i]);
    }
    list += "]";
  }
  return list + "]";
}

std::vector<uint8_t> Read(const BrickSource& s, const int* b) {
  std::vector<uint8_t> out(VoxelBox{b[3], b[4], b[5], b[6], b[7], b[8]}.Voxels() * size_t(s.Bits() / 8));
  s.ReadBox(size_t(b[0]), b[1], b[2], {b[3], b[4], b[5], b[6], b[7], b[8]}, out.data());
  return out;
}

TEST(ZarrBrickSource, BoxesMatchNumpyAtEveryLevel) {
  if (!HaveZarr()) GTEST_SKIP() << "Debian's python3-zarr and python3-numcodecs are not installed (scripts/deps.sh --test)";
  struct Case {
    const char* recipe;
    int channels, frames, bits;
    const char* type;
    // Kept levels: width, height, depth and factors, worked from ceil(n / f): x 50 -> 25 -> 13,
    // y 40 -> 20 -> 10, z 9 -> 5 -> 3 when z is halved (the fourth: 34 -> 17, 30 -> 15, 7 -> 4).
    std::vector<std::array<int, 6>> levels;
  };
  const Case cases[] = {
      {R"("dtype":"u1","axes":"zyx","shape":[9,40,50],"chunks":[4,24,20],"compressor":"zlib","levels":3,"zhalve":true,"drop":true,"fill":9)",
       1, 1, 8, "8-bit", {{50, 40, 9, 1, 1, 1}, {25, 20, 5, 2, 2, 2}, {13, 10, 3, 4, 4, 4}}},
      {R"("dtype":"u2","axes":"czyx","shape":[2,9,40,50],"chunks":[1,4,24,20],"compressor":"blosc-lz4","levels":3,"drop":true,"fill":7)",
       2, 1, 16, "16-bit", {{50, 40, 9, 1, 1, 1}, {25, 20, 9, 2, 2, 1}, {13, 10, 9, 4, 4, 1}}},
      // The third level loses a column (13 -> 12 of 50: no whole factor) and is left out.
      {R"("dtype":"i2","axes":"tczyx","shape":[2,2,9,40,50],"chunks":[1,1,4,24,20],"compressor":"blosc-zstd-bitshuffle","levels":3,"trim":true,"separator":"/")",
       2, 2, 16, "16-bit signed", {{50, 40, 9, 1, 1, 1}, {25, 20, 9, 2, 2, 1}}},
      {R"("dtype":"f4","axes":"zyx","shape":[7,30,34],"chunks":[3,16,20],"compressor":"zstd","levels":2,"zhalve":true,"drop":true,"fill":-30)",
       1, 1, 16, "32-bit float", {{34, 30, 7, 1, 1, 1}, {17, 15, 4, 2, 2, 2}}},
  };
  test_support::TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recipe);
    const fs::path folder = dir.path() / std::to_string(++n) / "h.zarr";
    ASSERT_NO_FATAL_FAILURE(WriteZarr(folder, std::string("{") + c.recipe + ",\"boxes\":" +
                          BoxList(static_cast<int>(c.levels.size()), c.channels, c.frames) + "}"));
    // A budget of about three chunks (20 * 24 * 4 samples of 2 bytes).
    const uint64_t budget = 12000;
    const auto source = OpenZarrBrickSource(folder.string(), budget);
    ASSERT_EQ(source->Levels().size(), c.levels.size());
    for (size_t l = 0; l < c.levels.size(); ++l) {
      const PyramidLevel& p = source->Levels()[l];
      EXPECT_EQ((std::array{p.width, p.height, p.depth, p.factor[0], p.factor[1], p.factor[2]}), c.levels[l]) << l;
    }
    EXPECT_EQ(std::tuple(source->Channels(), source->TimePoints(), source->Bits(), source->Values().TypeName()),
              std::tuple(c.channels, c.frames, c.bits, std::string(c.type)));
    if (c.bits == 16 && std::string(c.type) != "16-bit") {
      double lo = -32768, hi = 32767;
      if (std::string(c.type) == "32-bit float") std::istringstream(ReadAll(folder.parent_path() / "box_range.txt")) >> lo >> hi;
      EXPECT_EQ(std::pair(source->Values().Stored(0), source->Values().Stored(65535)), std::pair(lo, hi));
    }
    std::vector<std::string> expected;
    for (size_t b = 0; b < std::size(kBoxes); ++b)
      expected.push_back(ReadAll(folder.parent_path() / ("box_" + std::to_string(b) + ".raw")));
    const auto check_all = [&](const BrickSource& s, bool backwards) {
      for (size_t i = 0; i < std::size(kBoxes); ++i) {
        const size_t b = backwards ? std::size(kBoxes) - 1 - i : i;
        int box[9];
        std::copy(std::begin(kBoxes[b]), std::end(kBoxes[b]), box);
        box[0] = box[0] < 0 ? static_cast<int>(c.levels.size()) - 1 : box[0];
        box[1] = box[1] < 0 ? c.channels - 1 : box[1];
        box[2] = box[2] < 0 ? c.frames - 1 : box[2];
        const std::vector<uint8_t> got = Read(s, box);
        EXPECT_EQ(std::string(got.begin(), got.end()), expected[b]) << "box " << b;
      }
    };
    check_all(*source, false);
    // The budget holds, with the one chunk always kept (at most 20 * 24 * 4 * 2 bytes).
    EXPECT_LE(source->HeldBytes(), budget + 3840);
    EXPECT_GT(source->HeldBytes(), 0u);
    // Two threads at once on a source that keeps one chunk: the same bytes.
    const auto shared = OpenZarrBrickSource(folder.string(), 1);
    std::thread other([&] { check_all(*shared, true); });
    check_all(*shared, false);
    other.join();
  }
}

TEST(ZarrBrickSource, DamagedFoldersAreRefusedInASentence) {
  if (!HaveZarr()) GTEST_SKIP() << "Debian's python3-zarr and python3-numcodecs are not installed (scripts/deps.sh --test)";
  struct Case {
    const char* file;     // in h.zarr
    uint64_t size;        // the file cut or grown to this many bytes; 0: `from` becomes `to`
    const char *from, *to;
    const char* message;  // from the opening when `at_open`, else from reading the first chunk
    bool at_open;
  };
  // Chunks of 20 x 16 x 2 samples of 2 bytes: 1280 bytes, stored in at most 1280 + 1280 / 8 + 65536.
  const Case cases[] = {
      {"0/0.0.0", 20, "", "", "chunk 0.0.0 of level 1 of h.zarr is truncated (the zlib stream ends early)", false},
      {"0/0.0.0", 66977, "", "", "chunk 0.0.0 of level 1 of h.zarr takes 66977 bytes, more than any encoding of its 1280 bytes of samples", false},
      {".zattrs", 0, "\"path\": \"1\"", "\"path\": \"../1\"", ".zattrs of h.zarr names a level outside its folder: \"../1\"", true},
      {"0/.zarray", 0, "\"chunks\": [\n        2,\n        16,\n        20\n    ]", "\"chunks\": [9000, 9000, 9000]",
       "level 1 of h.zarr declares chunks of more than 256 MB", true},
  };
  test_support::TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const fs::path folder = dir.path() / std::to_string(++n) / "h.zarr";
    ASSERT_NO_FATAL_FAILURE(
        WriteZarr(folder, R"({"dtype":"u2","axes":"zyx","shape":[4,30,26],"chunks":[2,16,20],"compressor":"zlib","levels":2})"));
    const fs::path file = folder / c.file;
    if (c.size > 0) {
      fs::resize_file(file, c.size);
    } else {
      std::string text = ReadAll(file);
      ASSERT_NE(text.find(c.from), std::string::npos) << text;
      text.replace(text.find(c.from), std::string(c.from).size(), c.to);
      std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }
    try {
      const auto source = OpenZarrBrickSource(folder.string(), 1 << 20);
      EXPECT_FALSE(c.at_open);
      std::vector<uint8_t> out(8);
      source->ReadBox(0, 0, 0, {0, 0, 0, 2, 2, 1}, out.data());
      ADD_FAILURE() << "read";
    } catch (const imaging::ImageError& e) {
      EXPECT_EQ(e.what(), std::string(c.message));
    }
  }
}

}  // namespace
}  // namespace lumetrix::streaming
