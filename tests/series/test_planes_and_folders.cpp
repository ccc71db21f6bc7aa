// Plane extraction, the channel-to-colour mapping, and the TIFF file list of a folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "export/series/plane_extraction.h"
#include "export/series/tiff_folder.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ExtractPlane, GreySliceGivesItsGreyValues) {
  const Bytes bgr{7, 7, 7, 0, 0, 0, 200, 200, 200};
  Bytes plane;
  EXPECT_EQ(ExtractPlane(bgr, plane), 0);
  EXPECT_EQ(plane, (Bytes{7, 0, 200}));
}

TEST(ExtractPlane, ZeroBlueEverywhereTakesGreen) {
  const Bytes bgr{0, 5, 9, 0, 0, 1, 0, 250, 3};
  Bytes plane;
  EXPECT_EQ(ExtractPlane(bgr, plane), 1);
  EXPECT_EQ(plane, (Bytes{5, 0, 250}));
}

TEST(ExtractPlane, OnlyRedLeftTakesRed) {
  const Bytes bgr{0, 0, 9, 0, 0, 0, 0, 0, 255};
  Bytes plane{1, 2, 3, 4, 5};
  EXPECT_EQ(ExtractPlane(bgr, plane), 2);
  EXPECT_EQ(plane, (Bytes{9, 0, 255}));
}

TEST(ExtractPlane, AllZeroKeepsTheLastTriedAndEmptyIsEmpty) {
  Bytes plane;
  EXPECT_EQ(ExtractPlane(Bytes(12, 0), plane), 2);
  EXPECT_EQ(plane, Bytes(4, 0));
  EXPECT_EQ(ExtractPlane(Bytes{}, plane), 2);
  EXPECT_TRUE(plane.empty());
  // A partial trailing pixel is ignored rather than read past.
  EXPECT_EQ(ExtractPlane(Bytes{1, 2, 3, 4}, plane), 0);
  EXPECT_EQ(plane, Bytes{1});
}

TEST(MapChannels, DefaultsSwapsAndBlack) {
  const std::array<Bytes, 3> channels{Bytes{1, 1}, Bytes{2, 2}, Bytes{}};
  const Bytes black(2, 0);
  auto out = MapChannels(channels, {0, 1, 2}, black);
  EXPECT_EQ(*out[0], channels[0]);
  EXPECT_EQ(*out[1], channels[1]);
  EXPECT_EQ(*out[2], black);  // a channel without a plane is black
  out = MapChannels(channels, {1, 1, 0}, black);
  EXPECT_EQ(*out[0], channels[1]);
  EXPECT_EQ(*out[1], channels[1]);
  EXPECT_EQ(*out[2], channels[0]);
  out = MapChannels(channels, {-1, 7, 0}, black);
  EXPECT_EQ(*out[0], black);
  EXPECT_EQ(*out[1], black);
}

TEST(TiffFolder, ListsTiffExtensionsInAnyCaseSortedIgnoringCase) {
  testing::TempDir dir;
  for (const char* name : {"b.tif", "A.TIF", "c.tiff", "D.Tiff", "notes.txt", "x.tif.bak", ".tif", "e.tif"}) {
    testing::WriteBytes(dir.File(name), "x");
  }
  std::filesystem::create_directory(dir.File("folder.tif"));
  std::string error;
  EXPECT_EQ(ListTiffFiles(dir.Path(), &error), (std::vector<std::string>{"A.TIF", "b.tif", "c.tiff", "D.Tiff", "e.tif"}));
  EXPECT_EQ(error, "");
}

TEST(TiffFolder, MissingFolderGivesAnEmptyListAndAReason) {
  std::string error;
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
