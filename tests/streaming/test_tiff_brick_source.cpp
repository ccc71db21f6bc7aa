// TIFF files written by tifffile (an OME-TIFF pyramid in SubIFDs, tiled; float pages in strips
// without a pyramid), read box by box and compared with the same boxes cut by numpy (np.pad with
// mode="edge" beyond the level; tests/streaming/write_pyramid_tiff.py writes both).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "streaming/tiff_brick_source.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(TiffBrickSource, BoxesMatchNumpyAtEveryLevel) {
  // level (-1: the coarsest), c, t, x0, y0, z0, w, h, d; levels and channels beyond a file's are
  // its last. Tiles are 64 x 64, strips 7 rows.
  constexpr int kBoxes[][9] = {
      {0, 0, 0, 10, 20, 1, 30, 20, 2},        // inside one tile
      {0, 1, 0, 50, 60, 0, 40, 30, 5},        // across tile and strip borders
      {0, 1, 0, -5, -4, -2, 210, 160, 9},     // beyond every edge
      {0, 0, 0, 199, 149, 4, 1, 1, 1},        // one voxel (the far corner of 200 x 150 x 5)
      {0, 1, 0, 250, -10, 7, 3, 2, 2},        // wholly beyond: edge voxels only
      {1, 1, 0, -3, 60, -1, 110, 20, 8},      // level 2, beyond four edges
      {-1, 0, 0, 40, 30, 3, 15, 12, 3},       // the coarsest level, beyond its far edges
  };
  struct Case {
    const char* kind;
    const char* shape;  // c, z, y, x
    int channels;
    const char* type;
    // Width, height, depth and factors, worked from ceil(n / f): 200 -> 100 -> 50, 150 -> 75 -> 38.
    std::vector<std::array<int, 6>> levels;
  };
  const Case cases[] = {
      {"ome-pyramid", "[2,5,150,200]", 2, "16-bit", {{200, 150, 5, 1, 1, 1}, {100, 75, 5, 2, 2, 1}, {50, 38, 5, 4, 4, 1}}},
      {"stripped", "[1,6,30,34]", 1, "32-bit float", {{34, 30, 6, 1, 1, 1}}},
  };
  test_support::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const fs::path file = dir.path() / c.kind / "p.tif";
    fs::create_directories(file.parent_path());
    const auto levels = static_cast<int>(c.levels.size());
    std::vector<std::array<int, 9>> boxes;
    std::string list;
    for (const auto& b : kBoxes) {
      std::array<int, 9> box;
      std::copy(std::begin(b), std::end(b), box.begin());
      box[0] = std::min(box[0] < 0 ? levels - 1 : box[0], levels - 1);
      box[1] = std::min(box[1], c.channels - 1);
      boxes.push_back(box);
      for (int i = 0; i < 9; ++i) {
        list += i ? "," : list.empty() ? "[" : "],[";
        list += std::to_string(box[size_t(i)]);
      }
    }
    const std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/streaming/write_pyramid_tiff.py '" +
                                file.string() + "' '{\"kind\":\"" + c.kind + "\",\"shape\":" + c.shape +
                                ",\"boxes\":[" + list + "]]}'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const uint64_t budget = 40000;  // two or three decoded tiles of two channels
    const auto source = OpenTiffBrickSource(file.string(), 0, budget);
    ASSERT_EQ(source->Levels().size(), c.levels.size());
    for (size_t l = 0; l < c.levels.size(); ++l) {
      const PyramidLevel& p = source->Levels()[l];
      EXPECT_EQ((std::array{p.width, p.height, p.depth, p.factor[0], p.factor[1], p.factor[2]}), c.levels[l]) << l;
    }
    EXPECT_EQ(std::tuple(source->Channels(), source->TimePoints(), source->Bits(), source->Values().TypeName()),
              std::tuple(c.channels, 1, 16, std::string(c.type)));
    if (std::string(c.type) == "32-bit float") {
      double lo = 0, hi = 0;
      std::istringstream(ReadAll(file.parent_path() / "box_range.txt")) >> lo >> hi;
      EXPECT_EQ(std::pair(source->Values().Stored(0), source->Values().Stored(65535)), std::pair(lo, hi));
    }
    const auto check_all = [&](const BrickSource& s, bool backwards) {
      for (size_t i = 0; i < boxes.size(); ++i) {
        const size_t n = backwards ? boxes.size() - 1 - i : i;
        const auto& b = boxes[n];
        const VoxelBox box{b[3], b[4], b[5], b[6], b[7], b[8]};
        std::string got(box.Voxels() * 2, '\0');
        s.ReadBox(size_t(b[0]), b[1], b[2], box, reinterpret_cast<uint8_t*>(got.data()));
        EXPECT_EQ(got, ReadAll(file.parent_path() / ("box_" + std::to_string(n) + ".raw"))) << "box " << n;
      }
    };
    check_all(*source, false);
    EXPECT_LE(source->HeldBytes(), budget + 64 * 64 * 2 * 2);  // and the one block always kept
    // Two threads at once on a source that keeps one block: the same bytes.
    const auto shared = OpenTiffBrickSource(file.string(), 0, 1);
    std::thread other([&] { check_all(*shared, true); });
    check_all(*shared, false);
    other.join();
  }
}

}  // namespace
}  // namespace lumetrix::streaming
