// OME-Zarr pyramids written by Debian's python3-zarr, read box by box against numpy
// (tests/viewer/zarr/write_ome_zarr.py), and damaged folders.
#include <cstdlib>

#include "imaging/image_box.h"
#include "streaming/zarr_brick_source.h"
#include "tests/streaming/source_checks.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;

bool HaveZarr() { return std::system("/usr/bin/python3 -c 'import zarr, numcodecs' 2>/dev/null") == 0; }

void WriteZarr(const fs::path& folder, const std::string& recipe) {
  fs::create_directories(folder.parent_path());
  const std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/viewer/zarr/write_ome_zarr.py '" +
                              folder.string() + "' '{" + recipe + "}'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(ZarrBrickSource, BoxesMatchNumpyAtEveryLevel) {
  if (!HaveZarr()) GTEST_SKIP() << "Debian's python3-zarr and python3-numcodecs are not installed (scripts/deps.sh --test)";
  // Chunks are 20 x 24 x 4 (x, y, z) at level 0 of 50 x 40 x 9 (the fourth: 20 x 16 x 3 of 34 x 30 x 7).
  const std::vector<Box> table = {
      {0, 0, 0, 2, 3, 1, 10, 8, 2},        // inside one chunk (the dropped one, fill_value, in 1, 2 and 4)
      {0, -1, -1, 15, 20, 2, 12, 10, 5},   // across chunk borders on every axis
      {0, 0, -1, -5, -4, -2, 70, 52, 14},  // beyond every edge
      {0, -1, 0, 49, 39, 8, 1, 1, 1},      // one voxel, the far corner
      {0, 0, 0, 60, -10, 20, 3, 2, 2},     // wholly beyond: edge voxels only
      {0, -1, 0, 19, 3, 1, 2, 5, 6},       // a chunk's last column and the next one's first
      {1, -1, 0, -3, 5, -1, 30, 20, 8},    // level 2, beyond three edges
      {-1, 0, -1, 3, 2, 0, 5, 4, 3},       // the coarsest level kept
  };
  // Sizes worked from ceil(n / f): x 50 -> 25 -> 13, y 40 -> 20 -> 10, z 9 -> 5 -> 3 when z is
  // halved; the fourth 34 -> 17, 30 -> 15, 7 -> 4.
  const std::pair<const char*, Expected> cases[] = {
      {R"("dtype":"u1","axes":"zyx","shape":[9,40,50],"chunks":[4,24,20],"compressor":"zlib","levels":3,"zhalve":true,"drop":true,"fill":9)",
       {1, 1, "8-bit", {{50, 40, 9, 1, 1, 1}, {25, 20, 5, 2, 2, 2}, {13, 10, 3, 4, 4, 4}}}},
      {R"("dtype":"u2","axes":"czyx","shape":[2,9,40,50],"chunks":[1,4,24,20],"compressor":"blosc-lz4","levels":3,"drop":true,"fill":7)",
       {2, 1, "16-bit", {{50, 40, 9, 1, 1, 1}, {25, 20, 9, 2, 2, 1}, {13, 10, 9, 4, 4, 1}}}},
      // The third level loses a column (12 of 50: no whole factor) and is left out. A chunk holds
      // both channels.
      {R"("dtype":"i2","axes":"tczyx","shape":[2,2,9,40,50],"chunks":[1,2,4,24,20],"compressor":"blosc-zstd-bitshuffle","levels":3,"trim":true,"separator":"/")",
       {2, 2, "16-bit signed", {{50, 40, 9, 1, 1, 1}, {25, 20, 9, 2, 2, 1}}}},
      // Big-endian samples are swapped on their way into the bricks.
      {R"("dtype":">u2","axes":"zyx","shape":[9,40,50],"chunks":[4,24,20],"compressor":"zlib","levels":2)",
       {1, 1, "16-bit", {{50, 40, 9, 1, 1, 1}, {25, 20, 9, 2, 2, 1}}}},
      {R"("dtype":"f4","axes":"zyx","shape":[7,30,34],"chunks":[3,16,20],"compressor":"zstd","levels":2,"zhalve":true,"drop":true,"fill":-30)",
       {1, 1, "32-bit float", {{34, 30, 7, 1, 1, 1}, {17, 15, 4, 2, 2, 2}}}},
  };
  test_support::TempDir dir;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& [recipe, expected] = cases[i];
    SCOPED_TRACE(recipe);
    const fs::path folder = dir.path() / std::to_string(i) / "h.zarr";
    std::string json;
    const std::vector<Box> boxes = Resolve(table, expected, json);
    ASSERT_NO_FATAL_FAILURE(WriteZarr(folder, std::string(recipe) + ",\"boxes\":" + json));
    // A budget of about three chunks of 20 * 24 * 4 samples of 2 bytes; one more kept whatever it is.
    CheckSource([&](uint64_t budget) { return OpenZarrBrickSource(folder.string(), budget); }, folder.parent_path(),
                expected, boxes, 12000, 3840);
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
    const char* dtype = "u2";
  };
  // Chunks of 20 x 16 x 2 samples of 2 bytes: 1280 bytes, stored in at most 1280 + 1280 / 8 + 65536.
  const Case cases[] = {
      {"0/0.0.0", 20, "", "", "chunk 0.0.0 of level 1 of h.zarr is truncated (the zlib stream ends early)", false},
      {"0/0.0.0", 66977, "", "", "chunk 0.0.0 of level 1 of h.zarr takes 66977 bytes, more than any encoding of its 1280 bytes of samples", false},
      {".zattrs", 0, "\"path\": \"1\"", "\"path\": \"../1\"", ".zattrs of h.zarr names a level outside its folder: \"../1\"", true},
      {"0/.zarray", 0, "\"chunks\": [\n        2,\n        16,\n        20\n    ]", "\"chunks\": [9000, 9000, 9000]",
       "level 1 of h.zarr declares chunks of more than 256 MB", true},
      // Float samples: the coarsest level is read at the opening for their range.
      {"1/0.0.0", 20, "", "", "chunk 0.0.0 of level 2 of h.zarr is truncated (the zlib stream ends early)", true, "f4"},
  };
  // What the source opens it closes, when the opening fails too.
  const auto open_files = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); };
  const auto files_before = open_files();
  test_support::TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const fs::path folder = dir.path() / std::to_string(++n) / "h.zarr";
    ASSERT_NO_FATAL_FAILURE(WriteZarr(folder, "\"dtype\":\"" + std::string(c.dtype) + R"(","axes":"zyx","shape":[4,30,26],"chunks":[2,16,20],"compressor":"zlib","levels":2)"));
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
  EXPECT_EQ(open_files(), files_before);
}

}  // namespace
}  // namespace lumetrix::streaming
