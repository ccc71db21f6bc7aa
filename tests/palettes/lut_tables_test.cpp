#include <gtest/gtest.h>

#include "palettes/build_lut.h"
#include "palettes/palette_kind.h"

namespace lumetrix::palettes {
namespace {

struct Colour {
  int r, g, b;
};

void ExpectEntry(const Lut& lut, int c, Colour want) {
  const auto e = static_cast<std::size_t>(c);
  EXPECT_EQ(lut.Red(e), want.r) << "entry " << c;
  EXPECT_EQ(lut.Green(e), want.g) << "entry " << c;
  EXPECT_EQ(lut.Blue(e), want.b) << "entry " << c;
  EXPECT_EQ(lut.Reserved(e), 1) << "entry " << c;
}

TEST(PaletteKindTest, CaptionsMapExactlyAndCaseSensitively) {
  EXPECT_EQ(KindOfCaption("Grey"), PaletteKind::Grey);
  EXPECT_EQ(KindOfCaption("PGrey"), PaletteKind::PGrey);
  EXPECT_EQ(KindOfCaption("Red"), PaletteKind::Red);
  EXPECT_EQ(KindOfCaption("Green"), PaletteKind::Green);
  EXPECT_EQ(KindOfCaption("Blue"), PaletteKind::Blue);
  EXPECT_EQ(KindOfCaption("Yellow"), PaletteKind::Yellow);
  EXPECT_EQ(KindOfCaption("FalseColor"), PaletteKind::FalseColor);
  EXPECT_EQ(KindOfCaption("NGrey"), PaletteKind::NGrey);
  EXPECT_EQ(static_cast<int>(KindOfCaption("NGrey")), 8);
  EXPECT_EQ(KindOfCaption("red"), PaletteKind::PaletteFile);
  EXPECT_EQ(KindOfCaption("Falsecolor"), PaletteKind::PaletteFile);
  EXPECT_EQ(KindOfCaption("Grey "), PaletteKind::PaletteFile);
  EXPECT_EQ(KindOfCaption(""), PaletteKind::PaletteFile);
}

TEST(BuildLutTest, RampsFollowTheEntryNumber) {
  const Lut grey = BuildLut(PaletteKind::Grey), ngrey = BuildLut(PaletteKind::NGrey);
  const Lut red = BuildLut(PaletteKind::Red), green = BuildLut(PaletteKind::Green);
  const Lut blue = BuildLut(PaletteKind::Blue), yellow = BuildLut(PaletteKind::Yellow);
  for (int c = 0; c < 256; ++c) {
    ExpectEntry(grey, c, {c, c, c});
    ExpectEntry(ngrey, c, {255 - c, 255 - c, 255 - c});
    ExpectEntry(red, c, {c, 0, 0});
    ExpectEntry(green, c, {0, c, 0});
    ExpectEntry(blue, c, {0, 0, c});
    ExpectEntry(yellow, c, {c, c, 0});
  }
}

TEST(BuildLutTest, MarkedGreyShowsLowGreenAndHighRed) {
  const Lut lut = BuildLut(PaletteKind::PGrey);
  ExpectEntry(lut, 0, {0, 255, 0});
  ExpectEntry(lut, 1, {0, 255, 0});
  ExpectEntry(lut, 2, {2, 2, 2});
  ExpectEntry(lut, 128, {128, 128, 128});
  ExpectEntry(lut, 243, {243, 243, 243});
  ExpectEntry(lut, 244, {255, 0, 0});
  ExpectEntry(lut, 255, {255, 0, 0});
}

TEST(BuildLutTest, FalseColourEntriesAreExact) {
  const Lut lut = BuildLut(PaletteKind::FalseColor);
  ExpectEntry(lut, 0, {0, 0, 0});
  ExpectEntry(lut, 2, {10, 0, 10});
  ExpectEntry(lut, 6, {28, 0, 28});
  ExpectEntry(lut, 27, {128, 0, 128});
  ExpectEntry(lut, 28, {128, 0, 128});
  ExpectEntry(lut, 33, {104, 0, 152});
  ExpectEntry(lut, 55, {1, 0, 255});
  ExpectEntry(lut, 56, {0, 0, 255});
  ExpectEntry(lut, 84, {0, 127, 128});
  ExpectEntry(lut, 85, {0, 128, 128});
  ExpectEntry(lut, 113, {0, 255, 0});
  ExpectEntry(lut, 140, {127, 255, 0});
  ExpectEntry(lut, 141, {128, 255, 0});
  ExpectEntry(lut, 170, {255, 255, 0});
  ExpectEntry(lut, 197, {255, 128, 0});
  ExpectEntry(lut, 198, {255, 128, 0});
  ExpectEntry(lut, 225, {255, 1, 0});
  ExpectEntry(lut, 226, {255, 0, 0});
  ExpectEntry(lut, 250, {255, 217, 217});
  ExpectEntry(lut, 254, {255, 254, 254});
  ExpectEntry(lut, 255, {255, 255, 255});
}

TEST(BuildLutTest, MissingPaletteFileGivesByte32Throughout) {
  const Lut lut = BuildLut(PaletteKind::PaletteFile, "/nonexistent/folder/none.pal");
  for (uint8_t b : lut.bytes) ASSERT_EQ(b, 32);
  const Lut noPath = BuildLut(PaletteKind::PaletteFile);
  EXPECT_EQ(noPath, Lut::Filled(32));
}

}  // namespace
}  // namespace lumetrix::palettes
