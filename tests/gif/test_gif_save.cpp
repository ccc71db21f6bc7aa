// Saving never leaves a truncated file under the name, nor destroys an older file, on failure.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <random>

#include "export/gif/gif_document.h"
#include "gif_test_support.h"

namespace lumetrix::gif {
namespace {

using namespace lumetrix::gif::testing;

cGIF NoisyDocument(int32_t width, int32_t height) {
  cGIF doc;
  EXPECT_TRUE(doc.FrameInsert(1, width, height));
  std::mt19937 random(3);
  cDIB& image = doc.Frame(1).FrameDIBXOR();
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) image.SetIndex(x, y, static_cast<uint8_t>(random()));
  doc.SetGlobalPaletteExists(true);
  doc.SetGlobalPaletteEntries(256);
  return doc;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(GifSave, MissingFolderFailsAndCreatesNothing) {
  ScratchFolder folder;
  const cGIF doc = NoisyDocument(8, 8);
  std::string error;
  EXPECT_FALSE(doc.Save((folder / "missing" / "out.gif").string(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(folder.Names().empty());
  EXPECT_FALSE(doc.Save(""));
}

TEST(GifSave, FolderThatIsAFileFails) {
  ScratchFolder folder;
  WriteText(folder / "plain", "x");
  EXPECT_FALSE(NoisyDocument(8, 8).Save((folder / "plain" / "out.gif").string()));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"plain"}));
}

TEST(GifSave, NameOfAFolderFailsAndLeavesNoTemporaryFile) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "out.gif");
  EXPECT_FALSE(NoisyDocument(8, 8).Save((folder / "out.gif").string()));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"out.gif"}));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "out.gif"));
}

TEST(GifSave, ReplacesAnOlderFileWhole) {
  ScratchFolder folder;
  const auto path = folder / "out.gif";
  WriteText(path, std::string(100000, 'o'));
  const cGIF doc = NoisyDocument(16, 16);
  ASSERT_TRUE(doc.Save(path.string()));
  std::vector<uint8_t> expected;
  ASSERT_TRUE(doc.Encode(expected));
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"out.gif"}));
}

TEST(GifSave, NewFileGetsTheUsualPermissions) {
  ScratchFolder folder;
  const mode_t old = ::umask(022);
  const bool saved = NoisyDocument(4, 4).Save((folder / "mode.gif").string());
  ::umask(old);
  ASSERT_TRUE(saved);
  struct stat st {};
  ASSERT_EQ(::stat((folder / "mode.gif").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(GifSave, WriteFailureKeepsTheOlderFileAndRemovesTheTemporaryOne) {
  ScratchFolder folder;
  const auto path = folder / "out.gif";
  WriteText(path, "older animation");
  const cGIF doc = NoisyDocument(600, 400);  // about 300 KB of data
  // Simulate a full disk: writes past 64 KB fail (EFBIG instead of the signal).
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = saved;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string error;
  const bool ok = doc.Save(path.string(), &error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(error.empty());
  const std::vector<uint8_t> bytes = ReadBytes(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "older animation");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"out.gif"}));
}

}  // namespace
}  // namespace lumetrix::gif
