// Where the editors find and write their files, and which names they accept. What the editor
// windows make of refused names is tested on the windows.

#include <gtest/gtest.h>

#include "palettes/palette_error.h"
#include "palettes/palette_folders.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

TEST(PaletteFoldersTest, NamesThatCannotBeFileNamesAreRefused) {
  for (const char* name : {"Fire", "deep SEA", "my.palette", "a", "2-photon (GFP)", ".hidden", "a..b", "\xC3\x89t\xC3\xA9"})
    EXPECT_FALSE(CheckPaletteName(name).has_value()) << name;
  EXPECT_FALSE(CheckPaletteName(std::string(250, 'n')).has_value());
  EXPECT_EQ(CheckPaletteName(""), std::optional<std::string>(kChooseNameFirst));
  for (const std::string name : {".", "..", "...", "a/b", "../x", "..\\x", "/etc/passwd", "a\\b", "c:x", "what?",
                                 "star*", "\"q\"", "<a>", "p|q", "tab\there", "new\nline", "end.", "end "}) {
    const auto problem = CheckPaletteName(name);
    ASSERT_TRUE(problem.has_value()) << name;
    EXPECT_NE(*problem, kChooseNameFirst);
  }
  EXPECT_TRUE(CheckPaletteName(std::string("nul\0x", 5)).has_value());
  EXPECT_TRUE(CheckPaletteName(std::string(251, 'n')).has_value());
}

TEST(PaletteFoldersTest, ListsNamesOfBothFoldersOnceAndFindsTheUsersCopyFirst) {
  TempDir bundled, user;
  const fs::path &b = bundled.path(), &u = user.path();
  for (const fs::path& file : {b / "Fire.plt", b / "Ice.plt", u / "Fire.plt", u / "alpha.PLT", u / "beta.pl2", u / ".plt"})
    WriteBytes(file, {});
  fs::create_directory(u / "dir.plt");
  const PaletteFolders folders{b, u};
  EXPECT_EQ(ListPaletteNames(folders, ".plt"), (std::vector<std::string>{"alpha", "Fire", "Ice"}));
  EXPECT_EQ(ListPaletteNames(folders, ".pl2"), (std::vector<std::string>{"beta"}));
  EXPECT_TRUE(ListPaletteNames(PaletteFolders{b / "none", u / "none"}, ".plt").empty());
  EXPECT_EQ(FindPaletteFile(folders, "alpha", ".plt"), u / "alpha.PLT");  // listed from alpha.PLT
  EXPECT_EQ(FindPaletteFile(folders, "Fire", ".plt"), u / "Fire.plt");
  EXPECT_EQ(FindPaletteFile(folders, "Ice", ".plt"), b / "Ice.plt");
  EXPECT_FALSE(FindPaletteFile(folders, "fire", ".plt").has_value());
  EXPECT_FALSE(FindPaletteFile(folders, "../Ice", ".plt").has_value());
}

TEST(PaletteFoldersTest, WritablePathStaysInsideTheWritableFolder) {
  TempDir root;
  const fs::path& r = root.path();
  const PaletteFolders folders{r / "bundled", r / "user" / "palettes"};
  EXPECT_EQ(WritablePaletteFile(folders, "x", ".pal"), folders.writable / "x.pal");
  EXPECT_TRUE(fs::is_directory(folders.writable));
  EXPECT_THROW(WritablePaletteFile(folders, "../x", ".pal"), PaletteError);
  EXPECT_THROW(WritablePaletteFile(folders, "", ".pal"), PaletteError);
  EXPECT_THROW(WritablePaletteFile(PaletteFolders{r / "bundled", {}}, "x", ".pal"), PaletteError);
  WriteBytes(r / "file", {1});
  EXPECT_THROW(WritablePaletteFile(PaletteFolders{{}, r / "file"}, "x", ".pal"), PaletteError);
}

}  // namespace
}  // namespace lumetrix::palettes
