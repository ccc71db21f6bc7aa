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

using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

Lut Solid(uint8_t r, uint8_t g, uint8_t b) {
  Lut lut;
  for (std::size_t c = 0; c < 256; ++c) lut.Set(c, r, g, b, 1);
  return lut;
}

std::vector<std::string> Captions(const PaletteCatalogue& cat) {
  std::vector<std::string> out;
  for (const auto& e : cat.Entries()) out.push_back(e.caption);
  return out;
}

std::vector<std::string> BuiltInsAnd(std::initializer_list<std::string> more) {
  std::vector<std::string> v = {"Grey", "NGrey", "Red", "Green", "Blue", "Yellow", "FalseColor", "PGrey"};
  v.insert(v.end(), more);
  return v;
}

PaletteCatalogue Loaded(const std::vector<fs::path>& folders) {
  PaletteCatalogue cat;
  cat.LoadLuts(folders);
  return cat;
}

std::array<int, 3> Colour(const Lut& lut, int c) {
  const auto e = static_cast<std::size_t>(c);
  return {lut.Red(e), lut.Green(e), lut.Blue(e)};
}

// Every entry of the built-in ramps, from their definitions; false colour at its corners.
TEST(CatalogueTest, BuiltInTables) {
  const PaletteCatalogue cat;
  EXPECT_EQ(Captions(cat), BuiltInsAnd({}));
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_EQ(cat.PaletteIndex(), 0);
  using Ramp = std::array<int, 3> (*)(int);
  const std::pair<int, Ramp> ramps[] = {
      {0, [](int c) { return std::array{c, c, c}; }},
      {1, [](int c) { return std::array{255 - c, 255 - c, 255 - c}; }},
      {2, [](int c) { return std::array{c, 0, 0}; }},
      {3, [](int c) { return std::array{0, c, 0}; }},
      {4, [](int c) { return std::array{0, 0, c}; }},
      {5, [](int c) { return std::array{c, c, 0}; }},
      // Under-exposed pixels green, saturated ones red.
      {7, [](int c) { return c <= 1 ? std::array{0, 255, 0} : c >= 244 ? std::array{255, 0, 0} : std::array{c, c, c}; }},
  };
  for (const auto& [index, ramp] : ramps) {
    Lut want;
    for (int c = 0; c < 256; ++c) want.Set(static_cast<std::size_t>(c), ramp(c)[0], ramp(c)[1], ramp(c)[2], 1);
    EXPECT_EQ(cat.TableFor(index), want) << index;
  }
  const Lut falseColour = cat.TableFor(6);
  const std::array<int, 4> entries[] = {
      {0, 0, 0, 0},       {2, 10, 0, 10},     {6, 28, 0, 28},     {27, 128, 0, 128},  {28, 128, 0, 128},
      {33, 104, 0, 152},  {55, 1, 0, 255},    {56, 0, 0, 255},    {84, 0, 127, 128},  {85, 0, 128, 128},
      {113, 0, 255, 0},   {140, 127, 255, 0}, {141, 128, 255, 0}, {170, 255, 255, 0}, {197, 255, 128, 0},
      {198, 255, 128, 0}, {225, 255, 1, 0},   {226, 255, 0, 0},   {250, 255, 217, 217}, {254, 255, 254, 254},
      {255, 255, 255, 255}};
  for (const auto& [c, r, g, b] : entries) EXPECT_EQ(Colour(falseColour, c), (std::array{r, g, b})) << c;
  EXPECT_EQ(falseColour.Reserved(100), 1);
  EXPECT_EQ(cat.TableFor(8), Lut::Filled(32));  // no such entry
  EXPECT_EQ(cat.TableFor(-1), Lut::Filled(32));
}

// Captions: the file name without ".pal", lower case, the first letter upper case.
TEST(CatalogueTest, ListsSignedPaletteFilesByNameIgnoringCase) {
  const std::pair<const char*, const char*> files[] = {  // in menu order
      {"APPLE.PAL", "Apple"}, {"banana.Pal", "Banana"}, {"deep SEA.pal", "Deep sea"}, {"x.b.pal", "X.b"},
      {"zebra.pal", "Zebra"}, {"\xC3\xA9T\xC3\x89.pal", "\xC3\x89t\xC3\xA9"},  // éTÉ
      {"\xC4\xB0STANBUL.pal", "\xC4\xB0stanbul"},                         // the dotted capital I stays
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

TEST(CatalogueTest, BundledFolderFirstAndUserFilesTakeOverEqualCaptions) {
  TempDir bundled, user;
  WritePalFile(bundled.path() / "Fire.pal", Solid(10, 0, 0));
  WritePalFile(bundled.path() / "Ice.pal", Solid(0, 0, 10));
  WritePalFile(user.path() / "aaa.pal", Solid(1, 2, 3));
  WritePalFile(user.path() / "fire.pal", Solid(20, 0, 0));
  const PaletteCatalogue cat = Loaded({bundled.path(), user.path()});
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"Fire", "Ice", "Aaa"}));
  EXPECT_EQ(cat.TableFor(8), Solid(20, 0, 0));
  EXPECT_EQ(cat.TableFor(10), Solid(1, 2, 3));
}

TEST(CatalogueTest, BuiltInNamesTakePrecedenceForTheTable) {
  TempDir dir;
  WritePalFile(dir.path() / "red.pal", Solid(9, 9, 9));
  WritePalFile(dir.path() / "falsecolor.pal", Solid(7, 7, 7));
  PaletteCatalogue cat = Loaded({dir.path()});
  ASSERT_EQ(Captions(cat), BuiltInsAnd({"Falsecolor", "Red"}));
  EXPECT_EQ(cat.TableFor(9), cat.TableFor(2));         // "Red" shows the built-in red ramp
  EXPECT_EQ(cat.TableFor(8), Solid(7, 7, 7));          // the built-in is "FalseColor"
  EXPECT_TRUE(cat.SetPalette("red", true));            // the first match
  EXPECT_EQ(cat.PaletteIndex(), 2);
}

TEST(CatalogueTest, TablesAreReadAnewAndBadFilesGiveByte32) {
  TempDir dir;
  for (const char* name : {"live.pal", "spoilt.pal", "gone.pal"}) WritePalFile(dir.path() / name, Solid(1, 1, 1));
  const PaletteCatalogue cat = Loaded({dir.path()});
  ASSERT_EQ(Captions(cat), BuiltInsAnd({"Gone", "Live", "Spoilt"}));
  WritePalFile(dir.path() / "live.pal", Solid(2, 2, 2));
  fs::remove(dir.path() / "gone.pal");
  WriteBytes(dir.path() / "spoilt.pal", std::vector<uint8_t>(1048, 0));
  EXPECT_EQ(cat.TableFor(8), Lut::Filled(32));
  EXPECT_EQ(cat.TableFor(9), Solid(2, 2, 2));
  EXPECT_EQ(cat.TableFor(10), Lut::Filled(32));
}

TEST(CatalogueTest, ChoosingFromTheMenu) {
  PaletteCatalogue cat;
  EXPECT_FALSE(cat.Choose(3, false));  // no volume: nothing
  EXPECT_FALSE(cat.Choose(0, true));   // already checked: nothing
  EXPECT_EQ(cat.PaletteIndex(), 0);
  EXPECT_FALSE(cat.UsesTable(true));
  EXPECT_TRUE(cat.Choose(6, true));
  EXPECT_EQ(cat.CheckedIndex(), 6);
  EXPECT_EQ(cat.PaletteIndex(), 6);
  EXPECT_TRUE(cat.UsesTable(true));
  EXPECT_FALSE(cat.UsesTable(false));  // colour volumes use no table
  EXPECT_EQ(cat.CurrentTable(), cat.TableFor(6));
  for (int index : {6, 8, -1}) EXPECT_FALSE(cat.Choose(index, true)) << index;
  EXPECT_EQ(cat.PaletteIndex(), 6);
  EXPECT_TRUE(cat.Choose(0, true));  // back to Grey: no table
  EXPECT_FALSE(cat.UsesTable(true));
}

TEST(CatalogueTest, ScriptsChooseByNameIgnoringCase) {
  TempDir dir;
  WritePalFile(dir.path() / "deep SEA.pal", Solid(5, 5, 5));
  PaletteCatalogue cat = Loaded({dir.path()});
  EXPECT_FALSE(cat.SetPalette("FalseColor", false));  // grey flag not set
  EXPECT_FALSE(cat.SetPalette("nothing", true));
  EXPECT_FALSE(cat.SetPalette("", true));
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_EQ(cat.PaletteIndex(), 0);
  EXPECT_TRUE(cat.SetPalette("FALSECOLOR", true));
  EXPECT_EQ(cat.CheckedIndex(), 6);
  EXPECT_EQ(cat.PaletteIndex(), 6);
  EXPECT_TRUE(cat.SetPalette("falsecolor", true));  // rebuilt even when in use
  EXPECT_TRUE(cat.SetPalette("DEEP sea", true));
  EXPECT_EQ(cat.CurrentTable(), Solid(5, 5, 5));
  EXPECT_TRUE(cat.SetPalette("grey", true));
  EXPECT_EQ(cat.PaletteIndex(), 0);
}

TEST(CatalogueTest, RefillMovesTheCheckMarkKeepsTheIndexAndDropsGoneFiles) {
  TempDir dir;
  for (const char* name : {"a.pal", "b.pal", "c.pal"}) WritePalFile(dir.path() / name, Solid(name[0], 0, 0));
  PaletteCatalogue cat = Loaded({dir.path()});
  ASSERT_TRUE(cat.Choose(10, true));
  WritePalFile(dir.path() / "bb.pal", Solid(4, 0, 0));
  const std::vector<fs::path> folders = {dir.path()};
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"A", "B", "Bb", "C"}));
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_EQ(cat.PaletteIndex(), 10);  // kept, now standing for "Bb"
  EXPECT_EQ(cat.CurrentTable(), Solid(4, 0, 0));
  for (const char* name : {"a.pal", "bb.pal", "c.pal"}) fs::remove(dir.path() / name);
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"B"}));
  EXPECT_EQ(cat.PaletteIndex(), 10);
  EXPECT_EQ(cat.CurrentTable(), Lut::Filled(32));  // like a vanished file
  EXPECT_FALSE(cat.Choose(10, true));
  EXPECT_TRUE(cat.Choose(8, true));
  EXPECT_EQ(cat.CurrentTable(), Solid('b', 0, 0));
}

}  // namespace
}  // namespace lumetrix::palettes
