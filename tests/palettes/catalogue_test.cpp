// The Palette menu: built-in tables, palette files found in the folders, the check mark and the
// table in use.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>

#include "palettes/pal_file.h"
#include "palettes/palette_catalogue.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using namespace testing;

Lut Solid(uint8_t r, uint8_t g, uint8_t b) {
  Lut lut;
  for (std::size_t c = 0; c < 256; ++c) lut.Set(c, r, g, b, 1);
  return lut;
}

// The captions of the menu entries from `first` on (the eight built-ins come first).
std::vector<std::string> Captions(const PaletteCatalogue& cat, std::size_t first = 8) {
  std::vector<std::string> out;
  for (std::size_t i = first; i < cat.Entries().size(); ++i) out.push_back(cat.Entries()[i].caption);
  return out;
}

PaletteCatalogue Loaded(const std::vector<fs::path>& folders) {
  PaletteCatalogue cat;
  cat.LoadLuts(folders);
  return cat;
}

// Every entry of the built-in ramps, from their definitions; false colour at its corners.
TEST(CatalogueTest, BuiltInTables) {
  const PaletteCatalogue cat;
  EXPECT_EQ(Captions(cat, 0),
            (std::vector<std::string>{"Grey", "NGrey", "Red", "Green", "Blue", "Yellow", "FalseColor", "PGrey"}));
  using Ramp = std::array<int, 3> (*)(int);
  const Ramp ramps[] = {  // false colour (6) below; PGrey shows under-exposure green, saturation red
      [](int c) { return std::array{c, c, c}; }, [](int c) { return std::array{255 - c, 255 - c, 255 - c}; },
      [](int c) { return std::array{c, 0, 0}; }, [](int c) { return std::array{0, c, 0}; },
      [](int c) { return std::array{0, 0, c}; }, [](int c) { return std::array{c, c, 0}; }, nullptr,
      [](int c) { return c <= 1 ? std::array{0, 255, 0} : c >= 244 ? std::array{255, 0, 0} : std::array{c, c, c}; }};
  for (int index = 0; index < 8; ++index) {
    Lut want;
    for (int c = 0; c < 256 && ramps[index]; ++c) {
      const auto [r, g, b] = ramps[index](c);
      want.Set(std::size_t(c), uint8_t(r), uint8_t(g), uint8_t(b), 1);
    }
    EXPECT_TRUE(!ramps[index] || cat.TableFor(index) == want) << index;
  }
  const Lut falseColour = cat.TableFor(6);
  const std::array<int, 4> entries[] = {
      {0, 0, 0, 0},       {2, 10, 0, 10},     {6, 28, 0, 28},     {27, 128, 0, 128},  {28, 128, 0, 128},
      {33, 104, 0, 152},  {55, 1, 0, 255},    {56, 0, 0, 255},    {84, 0, 127, 128},  {85, 0, 128, 128},
      {113, 0, 255, 0},   {140, 127, 255, 0}, {141, 128, 255, 0}, {170, 255, 255, 0}, {197, 255, 128, 0},
      {198, 255, 128, 0}, {225, 255, 1, 0},   {226, 255, 0, 0},   {250, 255, 217, 217}, {254, 255, 254, 254},
      {255, 255, 255, 255}};
  for (const auto& [c, r, g, b] : entries) {
    const auto e = static_cast<std::size_t>(c);
    EXPECT_EQ((std::array<int, 3>{falseColour.Red(e), falseColour.Green(e), falseColour.Blue(e)}),
              (std::array{r, g, b})) << c;
  }
  EXPECT_EQ(falseColour.Reserved(100), 1);
  EXPECT_EQ(cat.TableFor(8), Lut::Filled(32));  // no such entry
  EXPECT_EQ(cat.TableFor(-1), Lut::Filled(32));
}

// Captions: the file name without ".pal", lower case, the first letter upper case.
TEST(CatalogueTest, ListsSignedPaletteFilesByNameIgnoringCase) {
  const std::pair<const char*, const char*> files[] = {  // in menu order
      {"APPLE.PAL", "Apple"}, {"A\xC4\xB0.pal", "A\xC4\xB0"},  // the dotted capital I is left alone
      {"banana.Pal", "Banana"}, {"deep SEA.pal", "Deep sea"}, {"x.b.pal", "X.b"},
      {"zebra.pal", "Zebra"}, {"\xC3\xA9T\xC3\x89.pal", "\xC3\x89t\xC3\xA9"},  // éTÉ
      {"\xC5\x81\xC3\x93" "D\xC5\xB9.pal", "\xC5\x81\xC3\xB3" "d\xC5\xBA"},      // ŁÓDŹ
      {"\xCE\xB1\xCE\x92.pal", "\xCE\x91\xCE\xB2"},                          // αΒ
      {"\xD0\xBB\xD0\x95\xD0\xA1.pal", "\xD0\x9B\xD0\xB5\xD1\x81"},          // лЕС
      {"\xFF\xFEZ.pal", "\xFF\xFEz"}};                                      // malformed bytes are kept
  TempDir dir;
  const fs::path& d = dir.path();
  for (uint8_t i = 0; i < std::size(files); ++i) WritePalFile(d / files[i].first, Solid(i, i, i));
  // Not listed: no signature, too short, another extension, no name, a folder, a pipe.
  WriteBytes(d / "unsigned.pal", std::vector<uint8_t>(1048, 0));
  WriteBytes(d / "tiny.pal", {'R', 'I'});
  WritePalFile(d / "palette.txt", Solid(9, 9, 9));
  WritePalFile(d / ".pal", Solid(9, 9, 9));
  fs::create_directory(d / "folder.pal");
  ASSERT_EQ(mkfifo((d / "pipe.pal").c_str(), 0600), 0);
  const PaletteCatalogue cat = Loaded({d, d / "missing"});
  ASSERT_EQ(cat.Count(), 8 + std::ssize(files));
  for (uint8_t i = 0; i < std::size(files); ++i) {
    EXPECT_EQ(cat.Entries()[8 + i].caption, files[i].second);
    EXPECT_EQ(cat.TableFor(8 + i), Solid(i, i, i)) << files[i].first;  // found again in any case
  }
}

// A user's file takes over the entry of a bundled one; built-in captions keep their own tables.
TEST(CatalogueTest, BundledFolderFirstThenTheUsersFiles) {
  TempDir bundled, user;
  WritePalFile(bundled.path() / "Fire.pal", Solid(10, 0, 0));
  WritePalFile(bundled.path() / "Ice.pal", Solid(0, 0, 10));
  WritePalFile(bundled.path() / "red.pal", Solid(9, 9, 9));
  WritePalFile(user.path() / "aaa.pal", Solid(1, 2, 3));
  WritePalFile(user.path() / "fire.pal", Solid(20, 0, 0));
  WritePalFile(user.path() / "falsecolor.pal", Solid(7, 7, 7));
  PaletteCatalogue cat = Loaded({bundled.path(), user.path()});
  EXPECT_EQ(Captions(cat), (std::vector<std::string>{"Fire", "Ice", "Red", "Aaa", "Falsecolor"}));
  EXPECT_EQ(cat.TableFor(8), Solid(20, 0, 0));
  EXPECT_EQ(cat.TableFor(10), cat.TableFor(2));  // "Red" shows the built-in red ramp
  EXPECT_EQ(cat.TableFor(11), Solid(1, 2, 3));
  EXPECT_EQ(cat.TableFor(12), Solid(7, 7, 7));  // the built-in is "FalseColor"
  EXPECT_TRUE(cat.SetPalette("red", true) && cat.PaletteIndex() == 2);  // the first match
}

TEST(CatalogueTest, ChoosingFromTheMenuOrByScript) {
  TempDir dir;
  WritePalFile(dir.path() / "deep SEA.pal", Solid(5, 5, 5));
  PaletteCatalogue cat = Loaded({dir.path()});
  EXPECT_FALSE(cat.Choose(3, false));                 // no volume: nothing
  EXPECT_FALSE(cat.Choose(0, true));                  // already checked: nothing
  EXPECT_FALSE(cat.SetPalette("FalseColor", false));  // grey flag not set
  for (const char* name : {"nothing", ""}) EXPECT_FALSE(cat.SetPalette(name, true)) << name;
  // IndexOf finds a caption in any case, also with the grey flag unset; -1 for names not in the menu.
  EXPECT_EQ((std::vector<int32_t>{cat.IndexOf("falsecolor"), cat.IndexOf("DEEP SEA"), cat.IndexOf("Nonesuch"),
                                  cat.IndexOf("")}),
            (std::vector<int32_t>{6, 8, -1, -1}));
  EXPECT_EQ(std::pair(cat.CheckedIndex(), cat.PaletteIndex()), std::pair(0, 0));
  EXPECT_FALSE(cat.UsesTable(true));
  EXPECT_TRUE(cat.Choose(6, true));
  EXPECT_EQ(std::pair(cat.CheckedIndex(), cat.PaletteIndex()), std::pair(6, 6));
  EXPECT_TRUE(cat.UsesTable(true) && !cat.UsesTable(false));  // colour volumes use no table
  EXPECT_EQ(cat.CurrentTable(), cat.TableFor(6));
  for (int index : {6, 9, -1}) EXPECT_FALSE(cat.Choose(index, true)) << index;
  EXPECT_EQ(cat.PaletteIndex(), 6);
  EXPECT_TRUE(cat.Choose(0, true));  // back to Grey: no table
  EXPECT_FALSE(cat.UsesTable(true));
  EXPECT_TRUE(cat.SetPalette("FALSECOLOR", true));
  EXPECT_EQ(std::pair(cat.CheckedIndex(), cat.PaletteIndex()), std::pair(6, 6));
  EXPECT_TRUE(cat.SetPalette("falsecolor", true));  // rebuilt even when in use
  EXPECT_TRUE(cat.SetPalette("DEEP sea", true));
  EXPECT_EQ(cat.CurrentTable(), Solid(5, 5, 5));
  EXPECT_TRUE(cat.SetPalette("grey", true) && cat.PaletteIndex() == 0);
}

// Tables are read anew each time; files that vanished or lost their signature give byte 32.
TEST(CatalogueTest, RefillKeepsTheTableInUseCheckedAndDropsGoneFiles) {
  TempDir dir;
  for (const char* name : {"a.pal", "b.pal", "c.pal"}) WritePalFile(dir.path() / name, Solid(name[0], 0, 0));
  PaletteCatalogue cat = Loaded({dir.path()});
  ASSERT_TRUE(cat.Choose(10, true));
  WritePalFile(dir.path() / "c.pal", Solid(3, 0, 0));
  EXPECT_EQ(cat.CurrentTable(), Solid(3, 0, 0));
  WriteBytes(dir.path() / "c.pal", std::vector<uint8_t>(1048, 0));
  EXPECT_EQ(cat.CurrentTable(), Lut::Filled(32));
  WritePalFile(dir.path() / "c.pal", Solid('c', 0, 0));
  WritePalFile(dir.path() / "bb.pal", Solid(4, 0, 0));
  const std::vector<fs::path> folders = {dir.path()};
  EXPECT_FALSE(cat.LoadLuts(folders));
  EXPECT_EQ(Captions(cat), (std::vector<std::string>{"A", "B", "Bb", "C"}));
  EXPECT_EQ(std::pair(cat.CheckedIndex(), cat.PaletteIndex()), std::pair(11, 11));  // "C" moved down
  EXPECT_EQ(cat.CurrentTable(), Solid('c', 0, 0));
  ASSERT_TRUE(cat.Choose(2, true));  // a built-in keeps its place
  EXPECT_FALSE(cat.LoadLuts(folders));
  EXPECT_EQ(std::pair(cat.CheckedIndex(), cat.PaletteIndex()), std::pair(2, 2));
  ASSERT_TRUE(cat.Choose(11, true));
  for (const char* name : {"a.pal", "bb.pal", "c.pal"}) fs::remove(dir.path() / name);
  EXPECT_TRUE(cat.LoadLuts(folders));  // the table in use is gone: back to Grey
  EXPECT_EQ(Captions(cat), (std::vector<std::string>{"B"}));
  EXPECT_EQ(std::pair(cat.CheckedIndex(), cat.PaletteIndex()), std::pair(0, 0));
  EXPECT_TRUE(cat.Choose(8, true));
  EXPECT_EQ(cat.CurrentTable(), Solid('b', 0, 0));
}

}  // namespace
}  // namespace lumetrix::palettes
