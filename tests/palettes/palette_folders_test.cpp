// Where the editors find and write their files, and which names they accept. What the editor
// windows make of refused names is tested on the windows.

#include <gtest/gtest.h>

#include "palettes/palette_error.h"
#include "palettes/palette_folders.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using namespace testing;

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

// The editors create the writable folder as they save (tested on the windows); without one, or
// with a file in its place, nothing can be saved.
TEST(PaletteFoldersTest, NoWritableFolderNoSaving) {
  TempDir root;
  EXPECT_THROW(WritablePaletteFile(PaletteFolders{root.path(), {}}, "x", ".pal"), PaletteError);
  WriteBytes(root.path() / "file", {1});
  EXPECT_THROW(WritablePaletteFile(PaletteFolders{{}, root.path() / "file"}, "x", ".pal"), PaletteError);
}

}  // namespace
}  // namespace lumetrix::palettes
