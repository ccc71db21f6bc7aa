// Plane extraction, the channel-to-colour mapping, and the TIFF file list of a folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "export/series/plane_extraction.h"
#include "export/series/tiff_folder.h"
#include "viewer/staged_file.h"
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

TEST(StagedFile, ReplacesTheDestinationOnlyOnCommit) {
  testing::TempDir dir;
  const std::string dest = dir.File("out.tif");
  testing::WriteBytes(dest, "old");
  {
    StagedFile output(dest);
    ASSERT_TRUE(output.Ok()) << output.Error();
    testing::WriteBytes(output.TemporaryPath(), "new");
    EXPECT_EQ(testing::ReadBytes(dest), "old");
  }  // abandoned
  EXPECT_EQ(testing::ReadBytes(dest), "old");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.tif"});
  {
    StagedFile output(dest);
    testing::WriteBytes(output.TemporaryPath(), "new");
    ASSERT_TRUE(output.Commit()) << output.Error();
  }
  EXPECT_EQ(testing::ReadBytes(dest), "new");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.tif"});
  struct stat st {};
  ASSERT_EQ(::stat(dest.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IRGRP, 0u) << "committed files get the usual permissions, not mkstemp's";
}

TEST(StagedFile, RefusesFoldersAndMissingFolders) {
  testing::TempDir dir;
  EXPECT_FALSE(StagedFile(dir.Path()).Ok());
  StagedFile missing(dir.File("no/such/out.tif"));
  EXPECT_FALSE(missing.Ok());
  EXPECT_NE(missing.Error().find("does not exist"), std::string::npos);
  EXPECT_FALSE(StagedFile("").Ok());
}

TEST(StagedFile, WrittenBytesArriveOnlyWithTheCommit) {
  testing::TempDir dir;
  const std::string dest = dir.File("out.pal");
  {
    StagedFile output(dest);
    ASSERT_TRUE(output.Write("abc", 3));
    EXPECT_FALSE(std::filesystem::exists(dest));
    ASSERT_TRUE(output.Commit()) << output.Error();
  }
  EXPECT_EQ(testing::ReadBytes(dest), "abc");
  const std::string bytes = "xyz";
  EXPECT_EQ(WriteFileStaged(dest, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())), "");
  EXPECT_EQ(testing::ReadBytes(dest), "xyz");
  EXPECT_NE(WriteFileStaged(dir.File("no/such/out.pal"), {}), "");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.pal"});
}

TEST(StagedFile, SameFileFollowsLinks) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("a.tif"), "a");
  std::filesystem::create_symlink(dir.File("a.tif"), dir.File("link.tif"));
  EXPECT_TRUE(SameFile(dir.File("a.tif"), dir.File("link.tif")));
  EXPECT_TRUE(SameFile(dir.File("a.tif"), dir.Path() + "/./a.tif"));
  EXPECT_FALSE(SameFile(dir.File("a.tif"), dir.File("b.tif")));
}

}  // namespace
}  // namespace lumetrix::series
