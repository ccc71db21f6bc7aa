// Saving never leaves a truncated file under the name, nor destroys an older file, on failure.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "export/gif/gif_document.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

cGIF NoisyDocument(int32_t width, int32_t height) {
  cGIF doc;
  EXPECT_TRUE(doc.FrameInsert(1, width, height));
  std::mt19937 random(3);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) doc.Frame(1).FrameDIBXOR().SetIndex(x, y, static_cast<uint8_t>(random()));
  doc.SetGlobalPaletteExists(true);
  doc.SetGlobalPaletteEntries(256);
  return doc;
}

Strings Names(const TempDir& folder) {
  Strings names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A missing folder, a folder that is a file, the name of a folder, no name: nothing is created
// (also no temporary file).
TEST(GifSave, UnwritableNamesFailAndCreateNothing) {
  TempDir folder;
  test_support::WriteBytes(folder.File("plain"), {'x'});
  std::filesystem::create_directory(folder.File("out.gif"));
  for (const std::string& name : {folder.File("missing/out.gif"), folder.File("plain/out.gif"), folder.File("out.gif"), std::string()}) {
    std::string error;
    EXPECT_FALSE(NoisyDocument(8, 8).Save(name, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_EQ(Names(folder), (Strings{"out.gif", "plain"}));
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("out.gif")));
}

// An older file is replaced whole by exactly the encoded bytes; a new file gets the usual permissions.
TEST(GifSave, ReplacesAnOlderFileWhole) {
  TempDir folder;
  test_support::WriteBytes(folder.File("out.gif"), std::vector<uint8_t>(100000, 'o'));
  const cGIF doc = NoisyDocument(16, 16);
  const mode_t old = ::umask(022);
  const bool saved = doc.Save(folder.File("out.gif")) && doc.Save(folder.File("mode.gif"));
  ::umask(old);
  ASSERT_TRUE(saved);
  std::vector<uint8_t> expected;
  ASSERT_TRUE(doc.Encode(expected));
  EXPECT_EQ(ReadBytes(folder.File("out.gif")), expected);
  EXPECT_EQ(Names(folder), (Strings{"mode.gif", "out.gif"}));
  struct stat st {};
  ASSERT_EQ(::stat(folder.File("mode.gif").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// A full disk, played by a file-size limit: writes past 64 KB fail (EFBIG instead of the signal).
TEST(GifSave, WriteFailureKeepsTheOlderFileAndRemovesTheTemporaryOne) {
  TempDir folder;
  test_support::WriteBytes(folder.File("out.gif"), {'o', 'l', 'd'});
  const cGIF doc = NoisyDocument(600, 400);  // about 300 KB of data
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = saved;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string error;
  const bool ok = doc.Save(folder.File("out.gif"), &error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadBytes(folder.File("out.gif")), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(Names(folder), Strings{"out.gif"});
}

}  // namespace
}  // namespace lumetrix::gif
