// Plane extraction, the channel-to-colour mapping, and the TIFF file list of a folder.

#include <gtest/gtest.h>

#include <filesystem>

#include "export/series/plane_extraction.h"
#include "export/series/tiff_folder.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using Bytes = std::vector<uint8_t>;

// The first of blue, green, red that is not zero everywhere (or red) gives the plane; a partial
// trailing pixel is ignored rather than read past.
TEST(ExtractPlane, TakesTheFirstChannelThatIsNotZeroEverywhere) {
  const std::tuple<Bytes, int, Bytes> cases[] = {
      {{7, 7, 7, 0, 0, 0, 200, 200, 200}, 0, {7, 0, 200}},
      {{0, 5, 9, 0, 0, 1, 0, 250, 3}, 1, {5, 0, 250}},
      {{0, 0, 9, 0, 0, 0, 0, 0, 255}, 2, {9, 0, 255}},
      {Bytes(12, 0), 2, Bytes(4, 0)},
      {Bytes{}, 2, Bytes{}},
      {{1, 2, 3, 4}, 0, {1}}};
  for (const auto& [bgr, channel, want] : cases) {
    Bytes plane{1, 2, 3, 4, 5};
    EXPECT_EQ(ExtractPlane(bgr, plane), channel);
    EXPECT_EQ(plane, want);
  }
}

TEST(MapChannels, DefaultsSwapsAndBlack) {
  const std::array<Bytes, 3> channels{Bytes{1, 1}, Bytes{2, 2}, Bytes{}};
  const Bytes black(2, 0);
  for (const auto& [sources, want] : {std::pair{std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 1, -1}},  // no plane: black
                                      {std::array<int, 3>{1, 1, 0}, {1, 1, 0}},
                                      {std::array<int, 3>{-1, 7, 0}, {-1, -1, 0}}}) {
    const auto out = MapChannels(channels, sources, black);
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(*out[k], want[k] < 0 ? black : channels[static_cast<size_t>(want[k])]) << k;
  }
}

TEST(TiffFolder, ListsTiffExtensionsInAnyCaseSortedIgnoringCase) {
  testing::TempDir dir;
  for (const char* name : {"b.tif", "A.TIF", "c.tiff", "D.Tiff", "notes.txt", "x.tif.bak", ".tif", "e.tif"})
    testing::WriteText(dir.File(name), "x");
  std::filesystem::create_directory(dir.File("folder.tif"));
  std::string error;
  EXPECT_EQ(ListTiffFiles(dir.path().string(), &error), (std::vector<std::string>{"A.TIF", "b.tif", "c.tiff", "D.Tiff", "e.tif"}));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(ListTiffFiles("/nonexistent/lumetrix-series", &error).empty());
  EXPECT_NE(error.find("/nonexistent/lumetrix-series"), std::string::npos);
}

TEST(TiffFolder, PathHelpers) {
  EXPECT_EQ(JoinPath("/a", "b.tif"), "/a/b.tif");
  EXPECT_EQ(JoinPath("/a/", "b.tif"), "/a/b.tif");
  EXPECT_EQ(JoinPath("", "b.tif"), "b.tif");
  EXPECT_EQ(BaseFileName("/a/b.tif"), "b.tif");
  EXPECT_EQ(BaseFileName("b.tif"), "b.tif");
  std::vector<std::string> names{"b", "B", "a_z", "A", "a"};
  SortNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "a_z", "B", "b"}));
}

}  // namespace
}  // namespace lumetrix::series
