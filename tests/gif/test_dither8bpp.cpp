#include <gtest/gtest.h>

#include "export/gif/dither8bpp.h"
#include "export/gif/dither_tables.h"
#include "gif_test_support.h"

namespace lumetrix::gif {
namespace {

using testing::SolidPicture;

TEST(DitherTables, MatchTheirDefinitions) {
  const DitherTables& t = DitherTables::Get();
  const int t51[4][4] = {{3, 29, 10, 35}, {41, 16, 48, 22}, {13, 38, 6, 32}, {51, 26, 45, 19}};
  const int bayer[4][4] = {{1, 9, 3, 11}, {13, 5, 15, 7}, {4, 12, 2, 10}, {16, 8, 14, 6}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(t.t51[y][x], t51[y][x]);
      EXPECT_EQ(t.bayer[y][x], bayer[y][x]);
    }
  EXPECT_EQ(t.Q6(-51), 0);
  EXPECT_EQ(t.Q6(25), 0);   // 0.49
  EXPECT_EQ(t.Q6(26), 1);   // 0.51
  EXPECT_EQ(t.Q6(128), 3);  // 2.51
  EXPECT_EQ(t.Q6(280), 5);
  EXPECT_EQ(t.Q16(-8), 0);  // reached by the ordered map mode: 0 + 8 - 16
  EXPECT_EQ(t.Q16(8), 0);   // 0.47
  EXPECT_EQ(t.Q16(9), 1);
  EXPECT_EQ(t.Q16(200), 12);
  EXPECT_EQ(t.Q16(262), 15);
  // Halves to the even neighbour.
  EXPECT_EQ(t.E7(8), 4);    // 3.5
  EXPECT_EQ(t.E7(-8), -4);
  EXPECT_EQ(t.E7(24), 10);  // 10.5
  EXPECT_EQ(t.E5(8), 2);    // 2.5
  EXPECT_EQ(t.E3(8), 2);    // 1.5
  EXPECT_EQ(t.E1(8), 0);    // 0.5
  EXPECT_EQ(t.E1(24), 2);   // 1.5
  EXPECT_EQ(t.E1(-24), -2);
  EXPECT_EQ(t.E7(255), 112);  // 111.5625
  EXPECT_EQ(t.E1(-255), -16);
  EXPECT_EQ(t.CubeIndex(3, 3, 3), 129);
  EXPECT_EQ(t.CubeIndex(5, 0, 1), 41);
}

cDIB Reduce(mDither8bpp& dither, const cDIB& source, cPal8bpp& palette, bool later = false) {
  cDIB out;
  EXPECT_TRUE(dither.Reduce(source, out, palette, later));
  return out;
}

TEST(Reduce, WebSafeGrey128GoesToCubeEntry129) {
  mDither8bpp dither;
  ASSERT_TRUE(dither.SetPaletteMode(mDither8bpp::kWebSafe));
  ASSERT_TRUE(dither.SetDitherMode(mDither8bpp::kNoDither));
  cPal8bpp pal;
  const cDIB out = Reduce(dither, SolidPicture(3, 2, 128, 128, 128), pal);
  EXPECT_EQ(pal.Entries(), 216);
  EXPECT_EQ(out.BitsPerPixel(), 8);
  EXPECT_EQ(out.Width(), 3);
  EXPECT_EQ(out.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(out.Index(x, y), 129);
  EXPECT_EQ(out.Palette()[129], MakeRGBQuad(153, 153, 153));
}

TEST(Reduce, GreyScale200MapsThroughCell12ToGrey204) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  cPal8bpp pal;
  const cDIB out = Reduce(dither, SolidPicture(2, 2, 200, 200, 200), pal);
  EXPECT_EQ(pal.Entries(), 256);
  EXPECT_EQ(dither.InverseMap()[12 + 16 * 12 + 256 * 12], 204);
  EXPECT_EQ(out.Index(1, 1), 204);
}

TEST(Reduce, WebSafeOrderedAddsTheThresholdOffset) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kWebSafe);
  dither.SetDitherMode(mDither8bpp::kOrdered);
  cPal8bpp pal;
  // Red 100: at (0,0) t = 3: Q6(123) = 2; at (3,0) t = 35: Q6(91) = 2; at (0,3) t = 51:
  // Q6(75) = 1; at (1,0) t = 29: Q6(97) = 2; green/blue 0 stay 0 unless the offset lifts them
  // (0 + 26 - 3 = 23: Q6 = 0).
  const cDIB out = Reduce(dither, SolidPicture(4, 4, 100, 0, 0), pal);
  EXPECT_EQ(out.Index(0, 0), 2);
  EXPECT_EQ(out.Index(3, 0), 2);
  EXPECT_EQ(out.Index(0, 3), 1);
  // Red 127 at (0,0): Q6(150) = 3; at (0,3): Q6(102) = 2.
  const cDIB out2 = Reduce(dither, SolidPicture(4, 4, 127, 0, 0), pal);
  EXPECT_EQ(out2.Index(0, 0), 3);
  EXPECT_EQ(out2.Index(0, 3), 2);
}

TEST(Reduce, MapOrderedReachesBothEndsWithoutLeavingTheTable) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  dither.SetDitherMode(mDither8bpp::kOrdered);
  cPal8bpp pal;
  const cDIB black = Reduce(dither, SolidPicture(4, 4, 0, 0, 0), pal);
  const cDIB white = Reduce(dither, SolidPicture(4, 4, 255, 255, 255), pal);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(black.Index(x, y), 0);
      EXPECT_EQ(white.Index(x, y), 255);
    }
  // Grey 8 (cell boundary 8.5): t = 1 at (0,0) gives 15 -> cell 1 (17); t = 16 at (0,3)
  // gives 0 -> cell 0.
  const cDIB mid = Reduce(dither, SolidPicture(4, 4, 8, 8, 8), pal);
  EXPECT_EQ(mid.Index(0, 0), 17);
  EXPECT_EQ(mid.Index(0, 3), 0);
}

TEST(Reduce, FloydSteinbergLeavesSmallErrorsAlone) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  dither.SetDitherMode(mDither8bpp::kFloydSteinberg);
  cPal8bpp pal;
  // (207,204,204) maps to grey 204 with the error (3,0,0): sum 3, not passed on. Had it been,
  // E7(3) = 1 would lift the right neighbour's red from 212 to 213, into cell 13.
  cDIB small = SolidPicture(2, 1, 212, 212, 212);
  small.SetPixel(0, 0, MakeRGBQuad(207, 204, 204));
  const cDIB kept = Reduce(dither, small, pal);
  EXPECT_EQ(kept.Index(0, 0), 204);
  EXPECT_EQ(kept.Index(1, 0), 204);
  // (208,204,204): error (4,0,0), sum 4: E7(4) = 2 lifts 212 to 214, cell (13,12,12) whose
  // nearest grey is 210.
  cDIB large = SolidPicture(2, 1, 212, 212, 212);
  large.SetPixel(0, 0, MakeRGBQuad(208, 204, 204));
  const cDIB spread = Reduce(dither, large, pal, true);
  EXPECT_EQ(spread.Index(0, 0), 204);
  EXPECT_EQ(spread.Index(1, 0), 210);
  // The source itself is unchanged.
  EXPECT_EQ(large.Pixel(1, 0), MakeRGBQuad(212, 212, 212));
}

TEST(Reduce, FloydSteinbergSpreadsToTheFourNeighbours) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kGreyScale);
  dither.SetDitherMode(mDither8bpp::kFloydSteinberg);
  cPal8bpp pal;
  pal.CreateGreyScale(0);  // black and white only
  dither.BuildInverseMap(pal);
  // Grey 100 on black/white: 0 with error 100 per channel. Right: +44 (E7), below: +31 (E5),
  // below right: +6 (E1), below left: +19 (E3).
  cDIB picture = SolidPicture(3, 2, 0, 0, 0);
  picture.SetPixel(1, 0, MakeRGBQuad(100, 100, 100));
  picture.SetPixel(2, 0, MakeRGBQuad(84, 84, 84));   // 84 + 44 = 128 -> cell 8 (136) -> white
  picture.SetPixel(1, 1, MakeRGBQuad(97, 97, 97));   // 97 + 31 = 128 -> white
  picture.SetPixel(0, 1, MakeRGBQuad(109, 109, 109));  // 109 + 19 = 128 -> white
  const cDIB out = Reduce(dither, picture, pal, true);
  EXPECT_EQ(out.Index(1, 0), 0);
  EXPECT_EQ(out.Index(2, 0), 1);
  EXPECT_EQ(out.Index(0, 1), 1);
  // Without the error the same pixels are black.
  cDIB alone = picture;
  alone.SetPixel(1, 0, MakeRGBQuad(0, 0, 0));
  const cDIB plain = Reduce(dither, alone, pal, true);
  EXPECT_EQ(plain.Index(2, 0), 0);
  EXPECT_EQ(plain.Index(0, 1), 0);
}

TEST(Reduce, LaterFramesKeepTheFirstFramesPalette) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kOptimal);
  cPal8bpp pal;
  Reduce(dither, SolidPicture(8, 8, 10, 200, 30), pal);
  ASSERT_EQ(pal.Entries(), 1);
  const cDIB second = Reduce(dither, SolidPicture(8, 8, 250, 0, 250), pal, true);
  EXPECT_EQ(pal.Entries(), 1);
  EXPECT_EQ(pal.rgbG(0), 200);
  EXPECT_EQ(second.Index(4, 4), 0);
}

TEST(Reduce, OptimalPaletteReproducesAFewColoursExactly) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kOptimal);
  cDIB picture = SolidPicture(4, 4, 255, 0, 0);
  for (int x = 0; x < 4; ++x) picture.SetPixel(x, 2, MakeRGBQuad(0, 0, 255));
  for (int x = 0; x < 4; ++x) picture.SetPixel(x, 3, MakeRGBQuad(255, 255, 255));
  for (const int mode : {0, 1, 2}) {
    dither.SetDitherMode(mode);
    cPal8bpp pal;
    const cDIB out = Reduce(dither, picture, pal);
    ASSERT_EQ(pal.Entries(), 3);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const RGBQuad want = picture.Pixel(x, y);
        const RGBQuad got = out.Palette()[out.Index(x, y)];
        EXPECT_EQ(got, MakeRGBQuad(want.red, want.green, want.blue)) << mode << " " << x << "," << y;
      }
  }
}

TEST(Reduce, RefusesWhatItCannotReduce) {
  mDither8bpp dither;
  cPal8bpp pal;
  cDIB indexed, out;
  ASSERT_TRUE(indexed.Create(2, 2, 8));
  EXPECT_FALSE(dither.Reduce(indexed, out, pal, false));
  EXPECT_FALSE(dither.Reduce(cDIB{}, out, pal, false));
  EXPECT_FALSE(dither.SetPaletteMode(3));
  EXPECT_FALSE(dither.SetDitherMode(-1));
  EXPECT_EQ(dither.PaletteMode(), mDither8bpp::kOptimal);
  EXPECT_EQ(dither.DitherMode(), mDither8bpp::kNoDither);
}

TEST(Reduce, SourceAndDestinationMayBeTheSameBitmap) {
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kWebSafe);
  cPal8bpp pal;
  cDIB picture = SolidPicture(2, 2, 255, 255, 255);
  ASSERT_TRUE(dither.Reduce(picture, picture, pal, false));
  EXPECT_EQ(picture.BitsPerPixel(), 8);
  EXPECT_EQ(picture.Index(1, 1), 215);
}

}  // namespace
}  // namespace lumetrix::gif
