#include <gtest/gtest.h>

#include "palettes/gradient_editor.h"
#include "palettes/palette_error.h"
#include "palettes/palette_folders.h"
#include "palettes/palette_maker.h"
#include "temp_folder.h"

namespace lumetrix::palettes {
namespace {

using testing::FolderContents;
using testing::TempFolder;
using testing::WriteBytes;

TEST(PaletteNameTest, AcceptsOrdinaryNames) {
  for (const char* name : {"Fire", "deep SEA", "my.palette", "a", "2-photon (GFP)", ".hidden", "a..b",
                           "\xC3\x89t\xC3\xA9"}) {
    EXPECT_FALSE(CheckPaletteName(name).has_value()) << name;
  }
}

TEST(PaletteNameTest, RefusesNamesThatCannotBeFileNames) {
  EXPECT_EQ(CheckPaletteName(""), std::optional<std::string>(kChooseNameFirst));
  for (const std::string& name :
       {std::string("."), std::string(".."), std::string("..."), std::string("a/b"), std::string("../x"),
        std::string("..\\x"), std::string("/etc/passwd"), std::string("a\\b"), std::string("c:x"),
        std::string("what?"), std::string("star*"), std::string("\"q\""), std::string("<a>"), std::string("p|q"),
        std::string("tab\there"), std::string("new\nline"), std::string("nul\0x", 5), std::string("end."),
        std::string("end "), std::string(251, 'n')}) {
    const auto problem = CheckPaletteName(name);
    ASSERT_TRUE(problem.has_value()) << name;
    EXPECT_NE(*problem, kChooseNameFirst);
  }
  EXPECT_FALSE(CheckPaletteName(std::string(250, 'n')).has_value());
}

TEST(PaletteFoldersTest, ListsNamesOfBothFoldersOnce) {
  TempFolder bundled, user;
  WriteBytes(bundled / "Fire.plt", {});
  WriteBytes(bundled / "Ice.plt", {});
  WriteBytes(user / "Fire.plt", {});
  WriteBytes(user / "alpha.PLT", {});
  WriteBytes(user / "beta.pl2", {});
  WriteBytes(user / ".plt", {});
  std::filesystem::create_directory(user / "dir.plt");
  const PaletteFolders folders{bundled.Path(), user.Path()};
  EXPECT_EQ(ListPaletteNames(folders, ".plt"), (std::vector<std::string>{"alpha", "Fire", "Ice"}));
  EXPECT_EQ(ListPaletteNames(folders, ".pl2"), (std::vector<std::string>{"beta"}));
  EXPECT_TRUE(ListPaletteNames(PaletteFolders{bundled / "none", user / "none"}, ".plt").empty());
  // "alpha" was listed from alpha.PLT and must be found again.
  EXPECT_EQ(FindPaletteFile(folders, "alpha", ".plt"), user / "alpha.PLT");
  EXPECT_EQ(FindPaletteFile(folders, "Fire", ".plt"), user / "Fire.plt");
  EXPECT_EQ(FindPaletteFile(folders, "Ice", ".plt"), bundled / "Ice.plt");
  EXPECT_FALSE(FindPaletteFile(folders, "fire", ".plt").has_value());
  EXPECT_FALSE(FindPaletteFile(folders, "../Ice", ".plt").has_value());
}

TEST(PaletteFoldersTest, WritablePathStaysInsideTheWritableFolder) {
  TempFolder root;
  const PaletteFolders folders{root / "bundled", root / "user" / "palettes"};
  EXPECT_EQ(WritablePaletteFile(folders, "x", ".pal"), folders.writable / "x.pal");
  EXPECT_TRUE(std::filesystem::is_directory(folders.writable));
  EXPECT_THROW(WritablePaletteFile(folders, "../x", ".pal"), PaletteError);
  EXPECT_THROW(WritablePaletteFile(folders, "", ".pal"), PaletteError);
  EXPECT_THROW(WritablePaletteFile(PaletteFolders{root / "bundled", {}}, "x", ".pal"), PaletteError);
  WriteBytes(root / "file", {1});
  EXPECT_THROW(WritablePaletteFile(PaletteFolders{{}, root / "file"}, "x", ".pal"), PaletteError);
}

TEST(PaletteFoldersTest, EditorsWriteNothingForRefusedNames) {
  TempFolder root;
  std::filesystem::create_directories(root / "user" / "palettes");
  std::filesystem::create_directories(root / "bundled");
  const PaletteFolders folders{root / "bundled", root / "user" / "palettes"};
  GradientEditor gradient;
  PaletteMaker maker;
  for (const char* name : {"../escape", "..", "sub/name", "a\\b", "bad:name", ""}) {
    EXPECT_THROW(gradient.Save(folders, name), PaletteError) << name;
    EXPECT_THROW(maker.Save(folders, name), PaletteError) << name;
  }
  EXPECT_EQ(FolderContents(root.Path()), (std::vector<std::string>{"bundled", "user"}));
  EXPECT_EQ(FolderContents(root / "user"), std::vector<std::string>{"palettes"});
  EXPECT_TRUE(FolderContents(folders.writable).empty());
  EXPECT_TRUE(FolderContents(folders.bundled).empty());
}

}  // namespace
}  // namespace lumetrix::palettes
