// The palette maker's curves and its curve files (.pl2). The editor window's behaviour is
// tested on frmPalette2.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "palettes/curve_file.h"
#include "palettes/curves.h"
#include "palettes/palette_error.h"
#include "palettes/palette_maker.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using namespace testing;

const std::string kAfterCounts = std::string(kDefaultCurveFile).substr(7);  // the six lines of points

TEST(CurvesTest, ValuesFollowTheSegmentsInSinglePrecision) {
  CurveSet curves = CurveSet::Defaults();
  curves.pointCount[0] = 2;
  curves.pointX[0] = {0, 0, 0, 0, 0, 0, 0, 0, 128};
  curves.pointY[0] = {255, 0, 0, 0, 0, 0, 0, 0, 0};
  ChannelValues v{};
  v.fill(-7);
  ComputeChannel(curves, 0, v);
  // At 1: 255 - 1.9921875 = 253.0078; at 64 row 127.5; beyond the last point nothing is written.
  for (const auto& [entry, value] : {std::pair{0, 0}, {1, 2}, {64, 127}, {128, 255}, {129, -7}})
    EXPECT_EQ(v[entry], value) << entry;
  // Three points: the later segment wins where they meet; a backward segment writes nothing.
  curves.pointCount[1] = 3;
  curves.pointX[1][4] = 100, curves.pointX[1][8] = 255;
  curves.pointY[1][0] = 255, curves.pointY[1][4] = 0, curves.pointY[1][8] = 255;
  ComputeChannel(curves, 1, v);
  EXPECT_EQ(std::pair(v[100], v[255]), std::pair(255, 0));
  curves.pointX[1][8] = 50;
  v.fill(9);
  ComputeChannel(curves, 1, v);
  EXPECT_EQ(std::pair(v[100], v[101]), std::pair(255, 9));
  // A vertical first segment: entry 0 takes the later one, from (0, 55) to (255, 255).
  CurveSet vertical = CurveSet::Defaults();
  vertical.pointX[2][4] = 0, vertical.pointY[2][4] = 55;
  ComputeChannel(vertical, 2, v);
  EXPECT_EQ(std::pair(v[0], v[255]), std::pair(200, 0));
}

// Counts the scroll bar cannot show come back as the next it can.
TEST(CurveFileTest, LoadRecoversPointCounts) {
  TempDir bundled, user;
  const PaletteFolders folders{bundled.path(), user.path()};
  const std::array<int, 3> cases[] = {{2, 2, 1}, {3, 3, 2}, {4, 5, 3}, {5, 5, 3}, {6, 5, 3}, {7, 9, 4}, {8, 9, 4}, {9, 9, 4}};
  for (const auto& [stored, count, scroll] : cases) {
    WriteText(user.path() / "n.pl2", std::to_string(stored) + ",3,3\r\n" + kAfterCounts);
    PaletteMaker maker;
    maker.Load(folders, "n");
    EXPECT_EQ(maker.Curves().pointCount[0], count) << stored;
    EXPECT_EQ(maker.ScrollValue(0), scroll) << stored;
  }
}

TEST(CurveFileTest, ReaderTakesAnyLineBreaksAndSpaces) {
  const std::string file = kDefaultCurveFile;
  std::string spaced, lf = file;
  for (char c : file) spaced += (c == ',') ? std::string(" ,\n ") : std::string(1, c);
  std::erase(lf, '\r');
  for (const std::string& text : {spaced, lf, "\n\n" + file + "\r\nextra,junk\r\n"})
    EXPECT_EQ(DecodeCurveFile(text), CurveSet::Defaults()) << text;
}

// Random text of the characters a curve file holds: read within limits or refused cleanly.
TEST(CurveFileTest, RandomTextIsReadOrRefusedCleanly) {
  std::mt19937 rng(12345);
  const std::string alphabet = "0123456789012345678901234567890123456789,,,,,,\r\n -+x9";
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = kDefaultCurveFile;  // every third round: a damaged valid file
    if (round % 3 != 0) text.resize(rng() % 400);
    for (std::size_t i = 0, n = round % 3 ? text.size() : 3; i < n; ++i)
      text[round % 3 ? i : rng() % text.size()] = alphabet[rng() % alphabet.size()];
    CurveSet c;
    try {
      c = DecodeCurveFile(text);
    } catch (const PaletteError&) {
      continue;
    }
    ++accepted;
    for (std::size_t ch = 0; ch < 3; ++ch) {
      ASSERT_TRUE(c.pointCount[ch] >= 2 && c.pointCount[ch] <= 9) << text;
      for (const auto* coords : {&c.pointX[ch], &c.pointY[ch]})
        for (const int32_t v : *coords) ASSERT_TRUE(v >= 0 && v <= 255) << text;
    }
    EXPECT_NO_THROW(PaletteMaker().ApplyCurves(c));  // and the editor takes them
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace lumetrix::palettes
