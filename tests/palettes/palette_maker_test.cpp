#include <gtest/gtest.h>

#include <random>

#include "palettes/curve_file.h"
#include "palettes/curves.h"
#include "palettes/pal_file.h"
#include "palettes/palette_error.h"
#include "palettes/palette_maker.h"
#include "default_curve_file.h"
#include "temp_folder.h"

namespace lumetrix::palettes {
namespace {

using testing::FolderContents;
using testing::kDefaultCurveFile;
using testing::ReadBytes;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

TEST(CurvesTest, ScrollValuesAndSteps) {
  EXPECT_EQ(PointCountOfScroll(1), 2);
  EXPECT_EQ(PointCountOfScroll(2), 3);
  EXPECT_EQ(PointCountOfScroll(3), 5);
  EXPECT_EQ(PointCountOfScroll(4), 9);
  EXPECT_EQ(StepOf(2), 8);
  EXPECT_EQ(StepOf(3), 4);
  EXPECT_EQ(StepOf(5), 2);
  EXPECT_EQ(StepOf(9), 1);
  const int want[10] = {0, 0, 1, 2, 3, 3, 3, 4, 4, 4};  // counts 2..9
  for (int n = 2; n <= 9; ++n) EXPECT_EQ(ScrollOfPointCount(n), want[n]) << n;
}

TEST(ComputeChannelTest, TheSinglePrecisionExample) {
  CurveSet curves = CurveSet::Defaults();
  curves.pointCount[0] = 2;
  curves.pointX[0] = {0, 0, 0, 0, 0, 0, 0, 0, 128};
  curves.pointY[0] = {255, 0, 0, 0, 0, 0, 0, 0, 0};
  ChannelValues v{};
  v.fill(-7);
  ComputeChannel(curves, 0, v);
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[64], 127);  // row 127.5 -> 128
  EXPECT_EQ(v[128], 255);
  EXPECT_EQ(v[129], -7);  // beyond the last point nothing is written
  EXPECT_EQ(v[1], 255 - 253);  // 255 - 1.9921875 = 253.0078 -> 253
}

TEST(ComputeChannelTest, LaterSegmentWinsAndBackwardSegmentWritesNothing) {
  CurveSet curves = CurveSet::Defaults();
  curves.pointCount[1] = 3;  // points 0, 4, 8
  curves.pointX[1][0] = 0;
  curves.pointX[1][4] = 100;
  curves.pointX[1][8] = 255;
  curves.pointY[1][0] = 255;
  curves.pointY[1][4] = 0;    // value 255 at 100
  curves.pointY[1][8] = 255;
  ChannelValues v{};
  ComputeChannel(curves, 1, v);
  EXPECT_EQ(v[100], 255);
  EXPECT_EQ(v[255], 0);
  // Backward second segment: only the first writes.
  curves.pointX[1][8] = 50;
  ChannelValues w{};
  w.fill(9);
  ComputeChannel(curves, 1, w);
  EXPECT_EQ(w[100], 255);
  EXPECT_EQ(w[101], 9);
  // Vertical first segment (dx = 0).
  CurveSet vertical = CurveSet::Defaults();
  vertical.pointCount[2] = 3;
  vertical.pointX[2][4] = 0;
  vertical.pointY[2][4] = 55;
  ChannelValues z{};
  ComputeChannel(vertical, 2, z);
  // Entry 0 belongs to both segments; the later one, from (0, 55) to (255, 255), wins.
  EXPECT_EQ(z[0], 200);
  EXPECT_EQ(z[255], 0);
}

TEST(PaletteMakerTest, DefaultsAreBlackWithThreePoints) {
  PaletteMaker maker;
  EXPECT_EQ(maker.Curves(), CurveSet::Defaults());
  EXPECT_EQ(maker.CurrentChannel(), 0);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(maker.ScrollValue(c), 2);
    EXPECT_EQ(maker.ActivePoints(c), (std::vector<int>{0, 4, 8}));
    for (int e = 0; e < 256; ++e) ASSERT_EQ(maker.Values()[static_cast<std::size_t>(c)][static_cast<std::size_t>(e)], 0);
  }
  const Lut lut = maker.ToLut();
  for (std::size_t e = 0; e < 256; ++e) {
    ASSERT_EQ(lut.Red(e), 0);
    ASSERT_EQ(lut.Reserved(e), 1);
  }
}

TEST(PaletteMakerTest, TwoPointsDraggedToTheTopGive255Everywhere) {
  PaletteMaker maker;
  maker.SetScrollValue(0, 1);
  EXPECT_EQ(maker.ActivePoints(0), (std::vector<int>{0, 8}));
  maker.Drag(0, -40.0, 0);
  maker.Drag(8, 0.4, 255);
  EXPECT_EQ(maker.Curves().pointY[0][0], 0);
  EXPECT_EQ(maker.Curves().pointY[0][8], 0);
  for (int e = 0; e < 256; ++e) ASSERT_EQ(maker.Values()[0][static_cast<std::size_t>(e)], 255) << e;
  EXPECT_EQ(maker.ToLut().Red(17), 255);
  EXPECT_EQ(maker.ToLut().Green(17), 0);
}

TEST(PaletteMakerTest, DragLimits) {
  PaletteMaker maker;
  maker.SelectChannel(1);
  // Rows stop at 0 and 255; halves round to even.
  maker.Drag(4, 1000.0, 128);
  EXPECT_EQ(maker.Curves().pointY[1][4], 255);
  maker.Drag(4, -3.0, 128);
  EXPECT_EQ(maker.Curves().pointY[1][4], 0);
  maker.Drag(4, 10.5, 128);
  EXPECT_EQ(maker.Curves().pointY[1][4], 10);
  maker.Drag(4, 11.5, 128);
  EXPECT_EQ(maker.Curves().pointY[1][4], 12);
  // The inner point cannot pass its active neighbours (0 and 255).
  maker.Drag(4, 12, -50);
  EXPECT_EQ(maker.Curves().pointX[1][4], 0);
  maker.Drag(4, 12, 999);
  EXPECT_EQ(maker.Curves().pointX[1][4], 255);
  maker.Drag(4, 12, 99.5);
  EXPECT_EQ(maker.Curves().pointX[1][4], 100);
  // Points 0 and 8 only move up and down.
  maker.Drag(0, 20, 77);
  EXPECT_EQ(maker.Curves().pointX[1][0], 0);
  EXPECT_EQ(maker.Curves().pointY[1][0], 20);
  maker.Drag(8, 30, 3);
  EXPECT_EQ(maker.Curves().pointX[1][8], 255);
  EXPECT_EQ(maker.Curves().pointY[1][8], 30);
  // Inactive points do not move; other channels are untouched.
  maker.Drag(2, 0, 10);
  EXPECT_EQ(maker.Curves().pointY[1][2], 255);
  EXPECT_EQ(maker.Curves().pointX[1][2], 64);
  EXPECT_EQ(maker.Curves().pointY[0], CurveSet::Defaults().pointY[0]);
  // With five points, point 4 is held between points 2 and 6.
  maker.SetScrollValue(1, 3);
  maker.Drag(4, 0, 10);
  EXPECT_EQ(maker.Curves().pointX[1][4], 64);
  maker.Drag(4, 0, 250);
  EXPECT_EQ(maker.Curves().pointX[1][4], 192);
  maker.Drag(4, std::nan(""), std::nan(""));  // never crashes
}

TEST(PaletteMakerTest, MorePointsComeBackAtTheirStoredPositions) {
  PaletteMaker maker;
  maker.Drag(4, 100, 130);
  maker.SetScrollValue(0, 3);
  EXPECT_EQ(maker.ActivePoints(0), (std::vector<int>{0, 2, 4, 6, 8}));
  EXPECT_EQ(maker.Curves().pointX[0][2], 64);
  EXPECT_EQ(maker.Curves().pointX[0][6], 192);
  EXPECT_EQ(maker.Curves().pointX[0][4], 130);
  EXPECT_EQ(maker.Curves().pointY[0][4], 100);
  EXPECT_EQ(maker.Curves().pointX[0][8], 255);
}

TEST(PaletteMakerTest, ChangingAnotherChannelsCountRecomputesIt) {
  PaletteMaker maker;
  maker.SelectChannel(2);
  maker.Drag(4, 0, 128);  // blue peaks at 128
  EXPECT_EQ(maker.Values()[2][128], 255);
  maker.SelectChannel(0);
  maker.SetScrollValue(2, 1);  // blue back to two flat points
  EXPECT_EQ(maker.Values()[2][128], 0);
  EXPECT_EQ(maker.ToLut().Blue(128), 0);
}

TEST(PaletteMakerTest, ResetRestoresTheDefaults) {
  PaletteMaker maker;
  maker.SetScrollValue(1, 4);
  maker.SelectChannel(1);
  maker.Drag(3, 0, 100);
  maker.Reset();
  EXPECT_EQ(maker.Curves(), CurveSet::Defaults());
  EXPECT_EQ(maker.CurrentChannel(), 0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(maker.ScrollValue(c), 2);
  EXPECT_EQ(maker.Values()[1][100], 0);
}

TEST(CurveFileTest, DefaultsGiveTheSevenLines) {
  EXPECT_EQ(EncodeCurveFile(CurveSet::Defaults()), kDefaultCurveFile);
  EXPECT_EQ(DecodeCurveFile(kDefaultCurveFile), CurveSet::Defaults());
}

TEST(CurveFileTest, ReaderAcceptsLineBreaksAndSpacesBetweenNumbers) {
  std::string text;
  const std::string enc = EncodeCurveFile(CurveSet::Defaults());
  for (char c : enc) text += (c == ',') ? std::string(" ,\n ") : std::string(1, c);
  EXPECT_EQ(DecodeCurveFile(text), CurveSet::Defaults());
  EXPECT_EQ(DecodeCurveFile("\n\n" + enc + "\r\nextra,junk\r\n"), CurveSet::Defaults());
  std::string lf = enc;
  std::erase(lf, '\r');
  EXPECT_EQ(DecodeCurveFile(lf), CurveSet::Defaults());
}

TEST(CurveFileTest, BadContentIsRefused) {
  const std::string good = kDefaultCurveFile;
  EXPECT_THROW(DecodeCurveFile(""), PaletteError);
  EXPECT_THROW(DecodeCurveFile(good.substr(0, good.size() - 6)), PaletteError);  // a number missing
  EXPECT_THROW(DecodeCurveFile("3,3\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("3,,3\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("3,x,3\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("3,3.5,3\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("3,99999999999999999999999,3\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("1,3,3\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("3,3,10\r\n" + good.substr(7)), PaletteError);
  EXPECT_THROW(DecodeCurveFile("3,3,-3\r\n" + good.substr(7)), PaletteError);
  std::string outside = good;
  outside.replace(outside.find("224"), 3, "256");
  EXPECT_THROW(DecodeCurveFile(outside), PaletteError);
  std::string negative = good;
  negative.replace(negative.rfind("255"), 3, "-1");
  EXPECT_THROW(DecodeCurveFile(negative), PaletteError);
  try {
    DecodeCurveFile("3,3,12\r\n" + good.substr(7));
  } catch (const PaletteError& e) {
    EXPECT_NE(std::string(e.what()).find("blue"), std::string::npos) << e.what();
  }
}

TEST(PaletteMakerTest, LoadRecoversPointCounts) {
  TempFolder bundled, user;
  const PaletteFolders folders{bundled.Path(), user.Path()};
  const std::string rest = std::string(kDefaultCurveFile).substr(7);
  const std::pair<int, int> cases[] = {{2, 2}, {3, 3}, {4, 5}, {5, 5}, {6, 5}, {7, 9}, {8, 9}, {9, 9}};
  for (auto [stored, want] : cases) {
    WriteText(user / "n.pl2", std::to_string(stored) + ",3,3\r\n" + rest);
    PaletteMaker maker;
    maker.Load(folders, "n");
    EXPECT_EQ(maker.Curves().pointCount[0], want) << stored;
    EXPECT_EQ(maker.ScrollValue(0), ScrollOfPointCount(stored));
  }
}

TEST(PaletteMakerTest, SaveLoadRoundTrip) {
  TempFolder bundled, user;
  const PaletteFolders folders{bundled.Path(), user / "mine"};
  PaletteMaker maker;
  maker.Save(folders, "Defaults");
  EXPECT_EQ(ReadText(folders.writable / "Defaults.pl2"), kDefaultCurveFile);
  const auto pal = ReadBytes(folders.writable / "Defaults.pal");
  ASSERT_EQ(pal.size(), 1048u);
  for (std::size_t i = 24; i < 1048; ++i) ASSERT_EQ(pal[i], 0) << i;  // red, green, blue, flags all 0

  maker.SetScrollValue(0, 4);
  maker.Drag(3, 17, 90);
  maker.SelectChannel(2);
  maker.SetScrollValue(2, 1);
  maker.Drag(8, 0, 0);
  maker.Save(folders, "Shaped");
  EXPECT_EQ(FolderContents(folders.writable),
            (std::vector<std::string>{"Defaults.pal", "Defaults.pl2", "Shaped.pal", "Shaped.pl2"}));
  PaletteMaker other;
  other.Load(folders, "Shaped");
  EXPECT_EQ(other.Curves(), maker.Curves());
  EXPECT_EQ(other.ToLut(), maker.ToLut());
  EXPECT_EQ(*ReadPalFile(folders.writable / "Shaped.pal"), maker.ToLut());
  EXPECT_EQ(other.CurrentChannel(), 0);
}

TEST(PaletteMakerTest, DamagedFileKeepsThePreviousCurves) {
  TempFolder bundled, user;
  const PaletteFolders folders{bundled.Path(), user.Path()};
  PaletteMaker maker;
  maker.Drag(4, 3, 100);
  const CurveSet before = maker.Curves();
  const auto values = maker.Values();
  WriteText(user / "bad.pl2", "3,3,3\r\n1,2,3\r\n");
  EXPECT_THROW(maker.Load(folders, "bad"), PaletteError);
  std::string far = kDefaultCurveFile;
  far.replace(far.find("224,255"), 7, "224,300");
  WriteText(user / "far.pl2", far);
  EXPECT_THROW(maker.Load(folders, "far"), PaletteError);
  EXPECT_THROW(maker.Load(folders, "missing"), PaletteError);
  EXPECT_THROW(maker.Load(folders, "a/b"), PaletteError);
  WriteText(user / "huge.pl2", std::string(100000, '1'));
  EXPECT_THROW(maker.Load(folders, "huge"), PaletteError);
  EXPECT_EQ(maker.Curves(), before);
  EXPECT_EQ(maker.Values(), values);
  CurveSet wrong = CurveSet::Defaults();
  wrong.pointCount[1] = 12;
  EXPECT_THROW(maker.ApplyCurves(wrong), PaletteError);
  EXPECT_EQ(maker.Curves(), before);
}

}  // namespace
}  // namespace lumetrix::palettes

namespace lumetrix::palettes {
namespace {

// Random text made of the characters a curve file holds: the reader either gives curves within
// their limits or refuses with a PaletteError, never anything else.
TEST(CurveFileTest, RandomTextIsReadOrRefusedCleanly) {
  std::mt19937 rng(12345);
  const std::string alphabet = "0123456789012345678901234567890123456789,,,,,,\r\n -+x9";
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t length = rng() % 400;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[rng() % alphabet.size()];
    if (round % 3 == 0) {  // mutate a valid file instead
      text = kDefaultCurveFile;
      for (int k = 0; k < 3; ++k) text[rng() % text.size()] = alphabet[rng() % alphabet.size()];
    }
    try {
      const CurveSet c = DecodeCurveFile(text);
      ++accepted;
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_GE(c.pointCount[static_cast<std::size_t>(ch)], 2);
        ASSERT_LE(c.pointCount[static_cast<std::size_t>(ch)], 9);
        for (int i = 0; i < 9; ++i) {
          ASSERT_GE(c.pointX[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)], 0);
          ASSERT_LE(c.pointY[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)], 255);
        }
      }
      PaletteMaker maker;
      maker.ApplyCurves(c);  // and the editor takes them
    } catch (const PaletteError&) {
    }
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace lumetrix::palettes
