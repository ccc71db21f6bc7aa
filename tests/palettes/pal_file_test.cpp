#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "palettes/build_lut.h"
#include "palettes/pal_file.h"
#include "palettes/palette_error.h"
#include "temp_folder.h"

namespace lumetrix::palettes {
namespace {

using testing::FolderContents;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

Lut Distinct() {
  Lut lut;
  for (std::size_t c = 0; c < 256; ++c)
    lut.Set(c, static_cast<uint8_t>(c), static_cast<uint8_t>(255 - c), static_cast<uint8_t>(c * 7), 1);
  return lut;
}

TEST(PalFileTest, WritesTheExactRiffLayout) {
  TempFolder dir;
  Lut lut = Distinct();
  lut.bytes[3] = 99;  // the reserved byte is not written: flags are always 0
  WritePalFile(dir / "a.pal", lut);
  const std::vector<uint8_t> bytes = ReadBytes(dir / "a.pal");
  ASSERT_EQ(bytes.size(), 1048u);
  const std::vector<uint8_t> header = {82, 73, 70, 70, 16, 4, 0, 0, 80, 65, 76, 32,
                                       100, 97, 116, 97, 4, 4, 0, 0, 0, 3, 0, 1};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 24), header);
  for (std::size_t c = 0; c < 256; ++c) {
    const std::size_t at = 24 + 4 * c;
    ASSERT_EQ(bytes[at], lut.Red(c)) << c;
    ASSERT_EQ(bytes[at + 1], lut.Green(c)) << c;
    ASSERT_EQ(bytes[at + 2], lut.Blue(c)) << c;
    ASSERT_EQ(bytes[at + 3], 0) << c;
  }
  EXPECT_EQ(FolderContents(dir.Path()), std::vector<std::string>{"a.pal"});  // no temporary left
}

TEST(PalFileTest, RoundTripGivesTheSameTableWithReservedOne) {
  TempFolder dir;
  for (const Lut& lut : {Distinct(), BuildLut(PaletteKind::FalseColor), BuildLut(PaletteKind::PGrey)}) {
    WritePalFile(dir / "t.pal", lut);
    const auto back = ReadPalFile(dir / "t.pal");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, lut);
    // ... and writing it again gives the same bytes.
    const auto first = ReadBytes(dir / "t.pal");
    WritePalFile(dir / "t2.pal", *back);
    EXPECT_EQ(ReadBytes(dir / "t2.pal"), first);
  }
}

TEST(PalFileTest, OverwritesAnExistingLongerFileCompletely) {
  TempFolder dir;
  WriteBytes(dir / "x.pal", std::vector<uint8_t>(5000, 0xAB));
  WritePalFile(dir / "x.pal", Distinct());
  EXPECT_EQ(ReadBytes(dir / "x.pal").size(), 1048u);
}

TEST(PalFileTest, ReaderChecksOnlyThePalSignature) {
  TempFolder dir;
  auto bytes = EncodePalFile(Distinct());
  std::vector<uint8_t> v(bytes.begin(), bytes.end());
  // Other sizes, version, count and flags are ignored.
  v[0] = 'X';
  v[4] = 0;
  v[11] = '!';
  v[12] = 'Z';
  v[20] = 9;
  v[22] = 7;
  v[24 + 3] = 200;
  WriteBytes(dir / "odd.pal", v);
  const auto lut = ReadPalFile(dir / "odd.pal");
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(*lut, Distinct());
}

TEST(PalFileTest, SignatureMustBeUpperCasePal) {
  TempFolder dir;
  auto bytes = EncodePalFile(Distinct());
  std::vector<uint8_t> v(bytes.begin(), bytes.end());
  v[9] = 'a';
  WriteBytes(dir / "lower.pal", v);
  EXPECT_FALSE(ReadPalFile(dir / "lower.pal").has_value());
}

TEST(PalFileTest, ShortFilesReadMissingBytesAsZero) {
  TempFolder dir;
  auto bytes = EncodePalFile(Distinct());
  std::vector<uint8_t> v(bytes.begin(), bytes.begin() + 24 + 4 * 10 + 2);  // 10 entries and a half
  WriteBytes(dir / "short.pal", v);
  const auto lut = ReadPalFile(dir / "short.pal");
  ASSERT_TRUE(lut.has_value());
  for (std::size_t c = 0; c < 10; ++c) {
    EXPECT_EQ(lut->Red(c), Distinct().Red(c));
    EXPECT_EQ(lut->Blue(c), Distinct().Blue(c));
  }
  EXPECT_EQ(lut->Red(10), Distinct().Red(10));
  EXPECT_EQ(lut->Green(10), Distinct().Green(10));
  EXPECT_EQ(lut->Blue(10), 0);
  for (std::size_t c = 11; c < 256; ++c) {
    ASSERT_EQ(lut->Red(c), 0);
    ASSERT_EQ(lut->Green(c), 0);
    ASSERT_EQ(lut->Blue(c), 0);
    ASSERT_EQ(lut->Reserved(c), 1);
  }
  // Just the signature: a black table.
  WriteBytes(dir / "sig.pal", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L'});
  const auto black = ReadPalFile(dir / "sig.pal");
  ASSERT_TRUE(black.has_value());
  EXPECT_EQ(black->Red(0), 0);
}

TEST(PalFileTest, UnusableFilesGiveAnEmptyResult) {
  TempFolder dir;
  EXPECT_FALSE(ReadPalFile(dir / "missing.pal").has_value());
  WriteBytes(dir / "empty.pal", {});
  EXPECT_FALSE(ReadPalFile(dir / "empty.pal").has_value());
  WriteBytes(dir / "ten.pal", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A'});
  EXPECT_FALSE(ReadPalFile(dir / "ten.pal").has_value());
  std::vector<uint8_t> garbage(1048);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 31 + 7);
  WriteBytes(dir / "garbage.pal", garbage);
  EXPECT_FALSE(ReadPalFile(dir / "garbage.pal").has_value());
  std::filesystem::create_directory(dir / "folder.pal");
  EXPECT_FALSE(ReadPalFile(dir / "folder.pal").has_value());
  // A FIFO must not block the reader.
  ASSERT_EQ(mkfifo((dir / "fifo.pal").c_str(), 0600), 0);
  EXPECT_FALSE(ReadPalFile(dir / "fifo.pal").has_value());
}

TEST(PalFileTest, HugeFileIsReadOnlyAsFarAsThePalette) {
  TempFolder dir;
  const auto bytes = EncodePalFile(Distinct());
  std::vector<uint8_t> v(3 << 20, 0xEE);
  std::copy(bytes.begin(), bytes.end(), v.begin());
  WriteBytes(dir / "big.pal", v);
  const auto lut = ReadPalFile(dir / "big.pal");
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(*lut, Distinct());
}

TEST(PalFileTest, FailedWriteLeavesThePreviousFileAndNoTemporary) {
  TempFolder dir;
  WritePalFile(dir / "keep.pal", Distinct());
  const auto before = ReadBytes(dir / "keep.pal");
  // A folder of the target's name: the write fails before touching anything.
  std::filesystem::create_directory(dir / "blocked.pal");
  EXPECT_THROW(WritePalFile(dir / "blocked.pal", Distinct()), PaletteError);
  // A folder that does not exist.
  EXPECT_THROW(WritePalFile(dir / "no" / "such.pal", Distinct()), PaletteError);
  // A read-only folder (meaningless as root, who may write anyway).
  if (geteuid() != 0) {
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(WritePalFile(dir / "keep.pal", BuildLut(PaletteKind::Red)), PaletteError);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
  }
  EXPECT_EQ(ReadBytes(dir / "keep.pal"), before);
  EXPECT_EQ(FolderContents(dir.Path()), (std::vector<std::string>{"blocked.pal", "keep.pal"}));
}

TEST(PalFileTest, ErrorMessageNamesTheFile) {
  TempFolder dir;
  try {
    WritePalFile(dir / "no" / "such.pal", Distinct());
    FAIL() << "no error";
  } catch (const PaletteError& e) {
    EXPECT_NE(std::string(e.what()).find("such.pal"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace lumetrix::palettes
