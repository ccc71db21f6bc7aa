// Palette files (.pal): the exact bytes written, and what the reader makes of any file.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "palettes/pal_file.h"
#include "palettes/palette_error.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using namespace testing;

Lut Distinct() {
  Lut lut;
  for (std::size_t c = 0; c < 256; ++c)
    lut.Set(c, static_cast<uint8_t>(c), static_cast<uint8_t>(255 - c), static_cast<uint8_t>(c * 7), 1);
  return lut;
}

TEST(PalFileTest, WritesTheExactRiffLayoutOverAnyOlderFile) {
  TempDir dir;
  const fs::path path = dir.path() / "a.pal";
  WriteBytes(path, std::vector<uint8_t>(5000, 0xAB));
  Lut lut = Distinct();
  lut.bytes[3] = 99;  // the reserved byte is not written: flags are always 0
  WritePalFile(path, lut);
  std::vector<uint8_t> want = {'R', 'I', 'F', 'F', 16, 4, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a', 4, 4, 0, 0, 0, 3, 0, 1};
  for (std::size_t c = 0; c < 256; ++c) want.insert(want.end(), {lut.Red(c), lut.Green(c), lut.Blue(c), 0});
  EXPECT_EQ(ReadBytes(path), want);
  EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"a.pal"});  // no temporary left
  EXPECT_EQ(ReadPalFile(path), Distinct());  // read back with reserved byte 1
}

// Only the "PAL" signature matters; missing bytes read as zero; the rest of a file is not read.
TEST(PalFileTest, ReaderNeedsOnlyTheSignature) {
  TempDir dir;
  const fs::path path = dir.path() / "t.pal";
  const auto read = [&](const std::vector<uint8_t>& bytes) {
    WriteBytes(path, bytes);
    return ReadPalFile(path);
  };
  const auto good = EncodePalFile(Distinct());
  std::vector<uint8_t> v(good.begin(), good.end());
  for (std::size_t at : {0, 4, 11, 12, 20, 22, 27}) v[at] ^= 0x5A;  // sizes, version, count, flags
  EXPECT_EQ(read(v), Distinct());
  v.resize(3 << 20, 0xEE);
  EXPECT_EQ(read(v), Distinct());
  v.resize(24 + 4 * 10 + 2);  // ten entries and a half
  Lut part = Lut::Filled(0);
  for (std::size_t c = 0; c < 256; ++c) part.Set(c, c < 11 ? c : 0, c < 11 ? 255 - c : 0, c < 10 ? 7 * c : 0, 1);
  EXPECT_EQ(read(v), part);
  v.resize(11);  // the signature alone: a black table
  EXPECT_EQ(read(v), [] { Lut l; for (std::size_t c = 0; c < 256; ++c) l.Set(c, 0, 0, 0, 1); return l; }());
  v[9] = 'a';  // upper case only
  EXPECT_FALSE(read(v).has_value());
  std::vector<uint8_t> noise(1048);
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 31 + 7);
  for (const auto& bad : {std::vector<uint8_t>(good.begin(), good.begin() + 10), std::vector<uint8_t>(), noise})
    EXPECT_FALSE(read(bad).has_value()) << bad.size();
  EXPECT_FALSE(ReadPalFile(dir.path() / "missing.pal").has_value());
  fs::create_directory(dir.path() / "folder.pal");
  EXPECT_FALSE(ReadPalFile(dir.path() / "folder.pal").has_value());
  ASSERT_EQ(mkfifo((dir.path() / "fifo.pal").c_str(), 0600), 0);
  EXPECT_FALSE(ReadPalFile(dir.path() / "fifo.pal").has_value());  // and does not block
}

TEST(PalFileTest, FailedWriteNamesTheFileAndLeavesThePreviousOne) {
  TempDir dir;
  const fs::path keep = dir.path() / "keep.pal";
  WritePalFile(keep, Distinct());
  const auto before = ReadBytes(keep);
  fs::create_directory(dir.path() / "blocked.pal");
  EXPECT_THROW(WritePalFile(dir.path() / "blocked.pal", Distinct()), PaletteError);
  try {
    WritePalFile(dir.path() / "no" / "such.pal", Distinct());
    ADD_FAILURE() << "no error";
  } catch (const PaletteError& e) {
    EXPECT_NE(std::string(e.what()).find("such.pal"), std::string::npos) << e.what();
  }
  if (geteuid() != 0) {  // root may write into a read-only folder
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WritePalFile(keep, Lut::Filled(1)), PaletteError);
    fs::permissions(dir.path(), fs::perms::owner_all);
  }
  EXPECT_EQ(ReadBytes(keep), before);
  EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"blocked.pal", "keep.pal"}));
}

}  // namespace
}  // namespace lumetrix::palettes
