// TIFF files written by tifffile (an OME-TIFF pyramid in SubIFDs, tiled; float pages in strips
// without a pyramid), read box by box against numpy (tests/streaming/write_pyramid_tiff.py).
#include <cstdlib>

#include "imaging/image_box.h"
#include "streaming/tiff_brick_source.h"
#include "tests/streaming/source_checks.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::streaming {
namespace {

TEST(TiffBrickSource, BoxesMatchNumpyAtEveryLevel) {
  // Tiles are 64 x 64, strips 7 rows; level 0 of the pyramid is 200 x 150 x 5.
  const std::vector<Box> table = {
      {0, 0, 0, 10, 20, 1, 30, 20, 2},     // inside one tile
      {0, 1, 0, 50, 60, 0, 40, 30, 5},     // across tile and strip borders
      {0, 1, 0, -5, -4, -2, 210, 160, 9},  // beyond every edge
      {0, 0, 0, 199, 149, 4, 1, 1, 1},     // one voxel, the far corner
      {0, 1, 0, 250, -10, 7, 3, 2, 2},     // wholly beyond: edge voxels only
      {1, 1, 0, -3, 60, -1, 110, 20, 8},   // level 2, beyond four edges
      {-1, 0, 0, 40, 30, 3, 15, 12, 3},    // the coarsest level, beyond its far edges
  };
  // Sizes worked from ceil(n / f): 200 -> 100 -> 50, 150 -> 75 -> 38; planes are not merged.
  const std::pair<const char*, Expected> cases[] = {
      {R"("kind":"ome-pyramid","shape":[2,5,150,200])",
       {2, 1, "16-bit", {{200, 150, 5, 1, 1, 1}, {100, 75, 5, 2, 2, 1}, {50, 38, 5, 4, 4, 1}}}},
      {R"("kind":"stripped","shape":[1,6,30,34])", {1, 1, "32-bit float", {{34, 30, 6, 1, 1, 1}}}},
  };
  test_support::TempDir dir;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& [recipe, expected] = cases[i];
    SCOPED_TRACE(recipe);
    const std::filesystem::path file = dir.path() / std::to_string(i) / "p.tif";
    std::filesystem::create_directories(file.parent_path());
    std::string json;
    const std::vector<Box> boxes = Resolve(table, expected, json);
    std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/streaming/write_pyramid_tiff.py '";
    command.append(file.string()).append("' '{").append(recipe).append(",\"boxes\":").append(json).append("}'");
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    // A budget of two or three tiles of two channels; one more kept whatever the budget.
    CheckSource([&](uint64_t budget) { return OpenTiffBrickSource(file.string(), 0, budget); }, file.parent_path(),
                expected, boxes, 40000, 64 * 64 * 2 * 2);
  }
}

TEST(TiffBrickSource, ADamagedTileFailsOnlyTheBoxesThatNeedIt) {
  test_support::TempDir dir;
  const std::string file = dir.File("p.tif");
  const std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/streaming/write_pyramid_tiff.py '" + file +
                              R"(' '{"kind":"ome-pyramid","shape":[2,5,150,200],"boxes":[],"damage":true}')";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const auto source = OpenTiffBrickSource(file, 0, 1 << 20);
  std::vector<uint8_t> out(2 * 10 * 10);
  source->ReadBox(0, 0, 0, {70, 70, 0, 10, 10, 1}, out.data());  // the second tile across and down
  source->ReadBox(0, 1, 0, {0, 0, 0, 10, 10, 1}, out.data());    // the other channel's page
  try {
    source->ReadBox(0, 0, 0, {60, 60, 0, 10, 10, 1}, out.data());  // four tiles, the first damaged
    ADD_FAILURE() << "read";
  } catch (const imaging::ImageError& e) {
    EXPECT_EQ(std::string(e.what()), "page 1 of p.tif is damaged: a tile cannot be decoded (ZIPDecode: Decoding error at scanline 0)");
  }
}

}  // namespace
}  // namespace lumetrix::streaming
