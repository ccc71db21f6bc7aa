#include <gtest/gtest.h>

#include <sys/stat.h>

#include "palettes/build_lut.h"
#include "palettes/pal_file.h"
#include "palettes/palette_catalogue.h"
#include "palettes/text_case.h"
#include "temp_folder.h"

namespace lumetrix::palettes {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

Lut Solid(uint8_t r, uint8_t g, uint8_t b) {
  Lut lut;
  for (std::size_t c = 0; c < 256; ++c) lut.Set(c, r, g, b);
  return lut;
}

std::vector<std::string> Captions(const PaletteCatalogue& cat) {
  std::vector<std::string> out;
  for (const auto& e : cat.Entries()) out.push_back(e.caption);
  return out;
}

const std::vector<std::string> kBuiltIns = {"Grey", "NGrey", "Red", "Green", "Blue", "Yellow", "FalseColor", "PGrey"};

std::vector<std::string> BuiltInsAnd(std::initializer_list<std::string> more) {
  std::vector<std::string> v = kBuiltIns;
  v.insert(v.end(), more);
  return v;
}

TEST(CaptionTest, FromFileNames) {
  EXPECT_EQ(CaptionOfFileName("deep SEA.pal"), "Deep sea");
  EXPECT_EQ(CaptionOfFileName("red.pal"), "Red");
  EXPECT_EQ(CaptionOfFileName("falsecolor.pal"), "Falsecolor");
  EXPECT_EQ(CaptionOfFileName("FIRE.PAL"), "Fire");
  EXPECT_EQ(CaptionOfFileName("2photon.pal"), "2photon");
  EXPECT_EQ(CaptionOfFileName("a.pal"), "A");
  EXPECT_EQ(CaptionOfFileName(".pal"), "");
  EXPECT_EQ(CaptionOfFileName("x.b.pal"), "X.b");
  // Non-ASCII letters are mapped too, and never split.
  EXPECT_EQ(CaptionOfFileName("\xC3\xA9T\xC3\x89.pal"), "\xC3\x89t\xC3\xA9");        // éTÉ -> Été
  EXPECT_EQ(CaptionOfFileName("\xD0\xBB\xD0\x95\xD0\xA1.pal"), "\xD0\x9B\xD0\xB5\xD1\x81");  // лЕС -> Лес
  EXPECT_EQ(CaptionOfFileName("\xFF\xFEZ.pal"), "\xFF\xFEz");  // malformed bytes kept
}

TEST(TextCaseTest, LowerAndCompare) {
  EXPECT_EQ(ToLowerUtf8("FalseColor"), "falsecolor");
  EXPECT_EQ(ToLowerUtf8("\xC3\x9C" "BER"), "\xC3\xBC" "ber");  // ÜBER
  EXPECT_EQ(ToLowerUtf8("\xC4\xB0"), "\xC4\xB0");               // dotted capital I left alone
  EXPECT_EQ(ToLowerUtf8("\xC5\x81\xC3\x93" "D\xC5\xB9"), "\xC5\x82\xC3\xB3" "d\xC5\xBA");  // ŁÓDŹ
  EXPECT_TRUE(EqualsIgnoringCase("deep SEA", "Deep sea"));
  EXPECT_FALSE(EqualsIgnoringCase("deep", "deeper"));
  EXPECT_EQ(UpperFirstUtf8(""), "");
  EXPECT_EQ(UpperFirstUtf8("\xCE\xB1\xCE\xB2"), "\xCE\x91\xCE\xB2");  // αβ -> Αβ
}

TEST(CatalogueTest, StartsWithTheEightBuiltIns) {
  PaletteCatalogue cat;
  EXPECT_EQ(Captions(cat), kBuiltIns);
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_EQ(cat.PaletteIndex(), 0);
  for (const auto& e : cat.Entries()) EXPECT_TRUE(e.IsBuiltIn());
}

TEST(CatalogueTest, FolderWithoutPalettesGivesExactlyTheBuiltIns) {
  TempFolder dir;
  WriteBytes(dir / "notes.txt", {1, 2, 3});
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path(), dir / "missing"};
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), kBuiltIns);
}

TEST(CatalogueTest, ListsSignedPalettesSortedByNameIgnoringCase) {
  TempFolder dir;
  WritePalFile(dir / "zebra.pal", Solid(1, 1, 1));
  WritePalFile(dir / "Apple.PAL", Solid(2, 2, 2));
  WritePalFile(dir / "deep SEA.pal", Solid(3, 3, 3));
  WritePalFile(dir / "banana.Pal", Solid(4, 4, 4));
  WriteBytes(dir / "unsigned.pal", std::vector<uint8_t>(1048, 0));
  WriteBytes(dir / "tiny.pal", {'R', 'I'});
  WritePalFile(dir / "palette.txt", Solid(5, 5, 5));
  WritePalFile(dir / ".pal", Solid(6, 6, 6));
  std::filesystem::create_directory(dir / "folder.pal");
  ASSERT_EQ(mkfifo((dir / "pipe.pal").c_str(), 0600), 0);
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"Apple", "Banana", "Deep sea", "Zebra"}));
  EXPECT_EQ(cat.Entries()[8].file, dir / "Apple.PAL");
  EXPECT_EQ(cat.Entries()[10].file, dir / "deep SEA.pal");
  // Each entry finds its own file again although the caption is lower-cased.
  EXPECT_EQ(cat.TableFor(8), Solid(2, 2, 2));
  EXPECT_EQ(cat.TableFor(10), Solid(3, 3, 3));
  EXPECT_EQ(cat.TableFor(11), Solid(1, 1, 1));
}

TEST(CatalogueTest, BundledFolderComesFirstAndUserFilesTakeOverEqualCaptions) {
  TempFolder bundled, user;
  WritePalFile(bundled / "Fire.pal", Solid(10, 0, 0));
  WritePalFile(bundled / "Ice.pal", Solid(0, 0, 10));
  WritePalFile(user / "aaa.pal", Solid(1, 2, 3));
  WritePalFile(user / "fire.pal", Solid(20, 0, 0));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {bundled.Path(), user.Path()};
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"Fire", "Ice", "Aaa"}));
  EXPECT_EQ(cat.Entries()[8].file, user / "fire.pal");
  EXPECT_EQ(cat.TableFor(8), Solid(20, 0, 0));
}

TEST(CatalogueTest, BuiltInNamesTakePrecedenceForTheTable) {
  TempFolder dir;
  WritePalFile(dir / "red.pal", Solid(9, 9, 9));
  WritePalFile(dir / "falsecolor.pal", Solid(7, 7, 7));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  ASSERT_EQ(Captions(cat), BuiltInsAnd({"Falsecolor", "Red"}));
  // "red.pal" has its own entry but shows the built-in red ramp.
  EXPECT_EQ(cat.TableFor(9), BuildLut(PaletteKind::Red));
  // "Falsecolor" is not a built-in name: its own table.
  EXPECT_EQ(cat.TableFor(8), Solid(7, 7, 7));
  // SetPalette("red") picks the built-in entry at position 2, the first match.
  EXPECT_TRUE(cat.SetPalette("red", true));
  EXPECT_EQ(cat.PaletteIndex(), 2);
}

TEST(CatalogueTest, TablesOfBuiltInEntries) {
  PaletteCatalogue cat;
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(cat.TableFor(i), BuildLut(KindOfCaption(kBuiltInCaptions[static_cast<std::size_t>(i)]))) << i;
  EXPECT_EQ(cat.TableFor(6), BuildLut(PaletteKind::FalseColor));
  EXPECT_EQ(cat.TableFor(8), Lut::Filled(32));
  EXPECT_EQ(cat.TableFor(-1), Lut::Filled(32));
}

TEST(CatalogueTest, VanishedOrUnsignedFileGivesByte32) {
  TempFolder dir;
  WritePalFile(dir / "gone.pal", Solid(1, 1, 1));
  WritePalFile(dir / "spoilt.pal", Solid(1, 1, 1));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  ASSERT_EQ(cat.Count(), 10);
  std::filesystem::remove(dir / "gone.pal");
  WriteBytes(dir / "spoilt.pal", std::vector<uint8_t>(1048, 0));
  EXPECT_EQ(cat.TableFor(8), Lut::Filled(32));
  EXPECT_EQ(cat.TableFor(9), Lut::Filled(32));
}

TEST(CatalogueTest, TableIsReadAnewEachTime) {
  TempFolder dir;
  WritePalFile(dir / "live.pal", Solid(1, 1, 1));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  EXPECT_EQ(cat.TableFor(8), Solid(1, 1, 1));
  WritePalFile(dir / "live.pal", Solid(2, 2, 2));
  EXPECT_EQ(cat.TableFor(8), Solid(2, 2, 2));
}

TEST(CatalogueTest, ChooseFollowsTheCheckMarkRules) {
  PaletteCatalogue cat;
  EXPECT_FALSE(cat.Choose(3, false));  // no volume: nothing
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_EQ(cat.PaletteIndex(), 0);
  EXPECT_FALSE(cat.Choose(0, true));  // already checked: nothing
  EXPECT_TRUE(cat.Choose(3, true));
  EXPECT_EQ(cat.CheckedIndex(), 3);
  EXPECT_EQ(cat.PaletteIndex(), 3);
  EXPECT_FALSE(cat.Choose(3, true));
  EXPECT_FALSE(cat.Choose(8, true));   // no such entry
  EXPECT_FALSE(cat.Choose(-1, true));
  EXPECT_EQ(cat.PaletteIndex(), 3);
  EXPECT_TRUE(cat.Choose(0, true));    // back to Grey: no table
  EXPECT_EQ(cat.PaletteIndex(), 0);
  EXPECT_FALSE(cat.UsesTable(true));
}

TEST(CatalogueTest, UsesTableOnlyForGreyVolumesFromIndexOne) {
  PaletteCatalogue cat;
  EXPECT_FALSE(cat.UsesTable(true));
  ASSERT_TRUE(cat.Choose(6, true));
  EXPECT_TRUE(cat.UsesTable(true));
  EXPECT_FALSE(cat.UsesTable(false));
  EXPECT_EQ(cat.CurrentTable(), BuildLut(PaletteKind::FalseColor));
}

TEST(CatalogueTest, SetPaletteRules) {
  TempFolder dir;
  WritePalFile(dir / "deep SEA.pal", Solid(5, 5, 5));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  EXPECT_FALSE(cat.SetPalette("FalseColor", false));  // grey flag not set
  EXPECT_EQ(cat.PaletteIndex(), 0);
  EXPECT_FALSE(cat.SetPalette("nothing", true));
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_TRUE(cat.SetPalette("FALSECOLOR", true));
  EXPECT_EQ(cat.PaletteIndex(), 6);
  EXPECT_EQ(cat.CheckedIndex(), 6);
  EXPECT_TRUE(cat.SetPalette("falsecolor", true));  // rebuild even when in use
  EXPECT_TRUE(cat.SetPalette("DEEP sea", true));
  EXPECT_EQ(cat.PaletteIndex(), 8);
  EXPECT_TRUE(cat.SetPalette("grey", true));
  EXPECT_EQ(cat.PaletteIndex(), 0);
  EXPECT_FALSE(cat.SetPalette("", true));
}

TEST(CatalogueTest, RefillMovesCheckMarkKeepsIndexAndDropsGoneFiles) {
  TempFolder dir;
  WritePalFile(dir / "a.pal", Solid(1, 0, 0));
  WritePalFile(dir / "b.pal", Solid(2, 0, 0));
  WritePalFile(dir / "c.pal", Solid(3, 0, 0));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  ASSERT_EQ(Captions(cat), BuiltInsAnd({"A", "B", "C"}));
  ASSERT_TRUE(cat.Choose(10, true));

  // More files: the new one appears in name order.
  WritePalFile(dir / "bb.pal", Solid(4, 0, 0));
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"A", "B", "Bb", "C"}));
  EXPECT_EQ(cat.CheckedIndex(), 0);
  EXPECT_EQ(cat.PaletteIndex(), 10);  // kept, now standing for "Bb"
  EXPECT_EQ(cat.CurrentTable(), Solid(4, 0, 0));

  // Fewer files: entries of files that are gone are dropped.
  std::filesystem::remove(dir / "a.pal");
  std::filesystem::remove(dir / "bb.pal");
  std::filesystem::remove(dir / "c.pal");
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), BuiltInsAnd({"B"}));
  EXPECT_EQ(cat.PaletteIndex(), 10);
  EXPECT_EQ(cat.CurrentTable(), Lut::Filled(32));  // like a vanished file
  EXPECT_FALSE(cat.Choose(10, true));
  EXPECT_TRUE(cat.Choose(8, true));
  EXPECT_EQ(cat.CurrentTable(), Solid(2, 0, 0));
}

TEST(CatalogueTest, RefillIsIdempotent) {
  TempFolder dir;
  WritePalFile(dir / "x.pal", Solid(1, 0, 0));
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {dir.Path()};
  cat.LoadLuts(folders);
  const auto first = Captions(cat);
  cat.LoadLuts(folders);
  EXPECT_EQ(Captions(cat), first);
}

}  // namespace
}  // namespace lumetrix::palettes
