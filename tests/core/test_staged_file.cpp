// Files that take their name only when they are complete.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/tiff_fixture.h"
#include "core/staged_file.h"

namespace lumetrix {
namespace {

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
std::vector<std::string> Entries(const test_support::TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StagedFile, ReplacesTheDestinationOnlyOnCommit) {
  test_support::TempDir dir;
  const std::string dest = dir.File("out.tif");
  WriteText(dest, "old");
  {
    StagedFile output(dest);
    ASSERT_TRUE(output.Ok()) << output.Error();
    WriteText(output.TemporaryPath(), "new");
    EXPECT_EQ(ReadText(dest), "old");
  }  // abandoned
  EXPECT_EQ(ReadText(dest), "old");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.tif"});
  {
    StagedFile output(dest);
    WriteText(output.TemporaryPath(), "new");
    ASSERT_TRUE(output.Commit()) << output.Error();
  }
  EXPECT_EQ(ReadText(dest), "new");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.tif"});
  struct stat st {};
  ASSERT_EQ(::stat(dest.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IRGRP, 0u) << "committed files get the usual permissions, not mkstemp's";
}

TEST(StagedFile, RefusesFoldersAndMissingFolders) {
  test_support::TempDir dir;
  EXPECT_FALSE(StagedFile(dir.path().string()).Ok());
  StagedFile missing(dir.File("no/such/out.tif"));
  EXPECT_FALSE(missing.Ok());
  EXPECT_NE(missing.Error().find("does not exist"), std::string::npos);
  EXPECT_FALSE(StagedFile("").Ok());
}

TEST(StagedFile, WrittenBytesArriveOnlyWithTheCommit) {
  test_support::TempDir dir;
  const std::string dest = dir.File("out.pal");
  {
    StagedFile output(dest);
    ASSERT_TRUE(output.Write("abc", 3));
    EXPECT_FALSE(std::filesystem::exists(dest));
    ASSERT_TRUE(output.Commit()) << output.Error();
  }
  EXPECT_EQ(ReadText(dest), "abc");
  const std::string bytes = "xyz";
  EXPECT_EQ(WriteFileStaged(dest, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())), "");
  EXPECT_EQ(ReadText(dest), "xyz");
  EXPECT_NE(WriteFileStaged(dir.File("no/such/out.pal"), {}), "");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.pal"});
}

TEST(StagedFile, SameFileFollowsLinks) {
  test_support::TempDir dir;
  WriteText(dir.File("a.tif"), "a");
  std::filesystem::create_symlink(dir.File("a.tif"), dir.File("link.tif"));
  EXPECT_TRUE(SameFile(dir.File("a.tif"), dir.File("link.tif")));
  EXPECT_TRUE(SameFile(dir.File("a.tif"), dir.path().string() + "/./a.tif"));
  EXPECT_FALSE(SameFile(dir.File("a.tif"), dir.File("b.tif")));
}

}  // namespace
}  // namespace lumetrix
