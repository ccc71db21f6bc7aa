// The colour reduction: tables, the three palettes and the three dither modes, worked out by hand.

#include <gtest/gtest.h>

#include "export/gif/dither8bpp.h"
#include "export/gif/dither_tables.h"
#include "tests/gif/gif_test_support.h"

namespace lumetrix::gif {
namespace {

using testing::SolidPicture;

TEST(DitherTables, MatchTheirDefinitions) {
  const DitherTables& t = DitherTables::Get();
  const int t51[4][4] = {{3, 29, 10, 35}, {41, 16, 48, 22}, {13, 38, 6, 32}, {51, 26, 45, 19}};
  const int bayer[4][4] = {{1, 9, 3, 11}, {13, 5, 15, 7}, {4, 12, 2, 10}, {16, 8, 14, 6}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(std::tuple(t.t51[y][x], t.bayer[y][x]), std::tuple(t51[y][x], bayer[y][x]));
  // Q16(-8) is reached by the ordered map mode: 0 + 8 - 16.
  for (const auto& [v, q6, q16] : {std::tuple{-51, 0, -1}, {25, 0, -1}, {26, 1, -1}, {128, 3, -1}, {280, 5, -1},
                                   {-8, -1, 0}, {8, -1, 0}, {9, -1, 1}, {200, -1, 12}, {262, -1, 15}}) {
    if (q6 >= 0) {
      EXPECT_EQ(t.Q6(v), q6) << v;
    }
    if (q16 >= 0) {
      EXPECT_EQ(t.Q16(v), q16) << v;
    }
  }
  // The error shares 7/16, 5/16, 3/16, 1/16, halves to the even neighbour.
  for (const auto& [e, e7, e5, e3, e1] : {std::tuple{8, 4, 2, 2, 0}, {-8, -4, -2, -2, 0}, {24, 10, 8, 4, 2},
                                          {-24, -10, -8, -4, -2}, {255, 112, 80, 48, 16}, {-255, -112, -80, -48, -16}})
    EXPECT_EQ(std::tuple(t.E7(e), t.E5(e), t.E3(e), t.E1(e)), std::tuple(e7, e5, e3, e1)) << e;
  EXPECT_EQ(t.CubeIndex(3, 3, 3), 129);
  EXPECT_EQ(t.CubeIndex(5, 0, 1), 41);
}

cDIB Reduce(mDither8bpp& dither, const cDIB& source, cPal8bpp& palette, bool later = false) {
  cDIB out;
  EXPECT_TRUE(dither.Reduce(source, out, palette, later));
  return out;
}

mDither8bpp Modes(int palette, int dither) {
  mDither8bpp modes;
  EXPECT_TRUE(modes.SetPaletteMode(palette) && modes.SetDitherMode(dither));
  return modes;
}

TEST(Reduce, WebSafeGrey128GoesToCubeEntry129AndGreyScale200ToGrey204) {
  mDither8bpp web = Modes(mDither8bpp::kWebSafe, mDither8bpp::kNoDither);
  cPal8bpp pal;
  const cDIB out = Reduce(web, SolidPicture(3, 2, 128, 128, 128), pal);
  EXPECT_EQ(std::tuple(pal.Entries(), out.BitsPerPixel(), out.Width(), out.Height()), std::tuple(216, 8, 3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(out.Index(x, y), 129);
  EXPECT_EQ(out.Palette()[129], MakeRGBQuad(153, 153, 153));
  // Grey 200 maps through cell 12 of the inverse map.
  mDither8bpp grey = Modes(mDither8bpp::kGreyScale, mDither8bpp::kNoDither);
  EXPECT_EQ(Reduce(grey, SolidPicture(2, 2, 200, 200, 200), pal).Index(1, 1), 204);
  EXPECT_EQ(pal.Entries(), 256);
  EXPECT_EQ(grey.InverseMap()[12 + 16 * 12 + 256 * 12], 204);
}

TEST(Reduce, OrderedDitherAddsTheThresholdOffset) {
  mDither8bpp web = Modes(mDither8bpp::kWebSafe, mDither8bpp::kOrdered);
  cPal8bpp pal;
  // Red 100: at (0,0) t = 3: Q6(123) = 2; at (3,0) t = 35: Q6(91) = 2; at (0,3) t = 51: Q6(75) = 1;
  // green/blue 0 stay 0 (0 + 26 - 3 = 23: Q6 = 0). Red 127 at (0,0): Q6(150) = 3; at (0,3): Q6(102) = 2.
  const cDIB red100 = Reduce(web, SolidPicture(4, 4, 100, 0, 0), pal);
  const cDIB red127 = Reduce(web, SolidPicture(4, 4, 127, 0, 0), pal);
  EXPECT_EQ(std::tuple(red100.Index(0, 0), red100.Index(3, 0), red100.Index(0, 3), red127.Index(0, 0), red127.Index(0, 3)),
            std::tuple(2, 2, 1, 3, 2));
  // The grey map reaches both ends without leaving the table. Grey 8 (cell boundary 8.5): t = 1
  // at (0,0) gives 15 -> cell 1 (17); t = 16 at (0,3) gives 0 -> cell 0.
  mDither8bpp grey = Modes(mDither8bpp::kGreyScale, mDither8bpp::kOrdered);
  const cDIB black = Reduce(grey, SolidPicture(4, 4, 0, 0, 0), pal);
  const cDIB white = Reduce(grey, SolidPicture(4, 4, 255, 255, 255), pal);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(std::tuple(black.Index(x, y), white.Index(x, y)), std::tuple(0, 255));
  const cDIB mid = Reduce(grey, SolidPicture(4, 4, 8, 8, 8), pal);
  EXPECT_EQ(std::tuple(mid.Index(0, 0), mid.Index(0, 3)), std::tuple(17, 0));
}

TEST(Reduce, FloydSteinbergLeavesSmallErrorsAloneAndSpreadsTheRest) {
  mDither8bpp dither = Modes(mDither8bpp::kGreyScale, mDither8bpp::kFloydSteinberg);
  cPal8bpp pal;
  // (207,204,204) maps to grey 204 with the error (3,0,0): sum 3, not passed on. Had it been,
  // E7(3) = 1 would lift the right neighbour's red from 212 to 213, into cell 13.
  cDIB small = SolidPicture(2, 1, 212, 212, 212);
  small.SetPixel(0, 0, MakeRGBQuad(207, 204, 204));
  const cDIB kept = Reduce(dither, small, pal);
  EXPECT_EQ(std::tuple(kept.Index(0, 0), kept.Index(1, 0)), std::tuple(204, 204));
  // (208,204,204): error (4,0,0), sum 4: E7(4) = 2 lifts 212 to 214, cell (13,12,12) whose
  // nearest grey is 210. The source itself is unchanged.
  cDIB large = SolidPicture(2, 1, 212, 212, 212);
  large.SetPixel(0, 0, MakeRGBQuad(208, 204, 204));
  const cDIB spread = Reduce(dither, large, pal, true);
  EXPECT_EQ(std::tuple(spread.Index(0, 0), spread.Index(1, 0)), std::tuple(204, 210));
  EXPECT_EQ(large.Pixel(1, 0), MakeRGBQuad(212, 212, 212));
  // Grey 100 on black and white: 0 with error 100 per channel. Right: +44 (E7), below: +31 (E5),
  // below left: +19 (E3); each lifts its pixel to 128 -> cell 8 (136) -> white. (The pixel below
  // also gets a share of the white pixel's error.)
  pal.CreateGreyScale(0);
  dither.BuildInverseMap(pal);
  cDIB picture = SolidPicture(3, 2, 0, 0, 0);
  picture.SetPixel(1, 0, MakeRGBQuad(100, 100, 100));
  picture.SetPixel(2, 0, MakeRGBQuad(84, 84, 84));
  picture.SetPixel(1, 1, MakeRGBQuad(97, 97, 97));
  picture.SetPixel(0, 1, MakeRGBQuad(109, 109, 109));
  const cDIB out = Reduce(dither, picture, pal, true);
  EXPECT_EQ(std::tuple(out.Index(1, 0), out.Index(2, 0), out.Index(0, 1)), std::tuple(0, 1, 1));
  picture.SetPixel(1, 0, MakeRGBQuad(0, 0, 0));  // without the error the same pixels are black
  const cDIB plain = Reduce(dither, picture, pal, true);
  EXPECT_EQ(std::tuple(plain.Index(2, 0), plain.Index(0, 1)), std::tuple(0, 0));
}

// A few colours are reproduced exactly in every dither mode; later frames keep frame 1's palette.
TEST(Reduce, OptimalPaletteReproducesAFewColoursAndStaysForLaterFrames) {
  cDIB picture = SolidPicture(4, 4, 255, 0, 0);
  for (int x = 0; x < 4; ++x) picture.SetPixel(x, 2, MakeRGBQuad(0, 0, 255)), picture.SetPixel(x, 3, MakeRGBQuad(255, 255, 255));
  for (const int mode : {0, 1, 2}) {
    mDither8bpp dither = Modes(mDither8bpp::kOptimal, mode);
    cPal8bpp pal;
    const cDIB out = Reduce(dither, picture, pal);
    ASSERT_EQ(pal.Entries(), 3);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        RGBQuad want = picture.Pixel(x, y);
        want.reserved = 0;
        EXPECT_EQ(out.Palette()[out.Index(x, y)], want) << mode << " " << x << "," << y;
      }
    if (mode != mDither8bpp::kNoDither) continue;
    const cDIB second = Reduce(dither, SolidPicture(8, 8, 240, 20, 20), pal, true);
    EXPECT_EQ(std::tuple(pal.Entries(), out.Palette()[second.Index(4, 4)]), std::tuple(3, MakeRGBQuad(255, 0, 0)));
  }
}

TEST(Reduce, RefusesWhatItCannotReduceAndMayWorkInPlace) {
  mDither8bpp dither;
  cPal8bpp pal;
  cDIB indexed, out;
  ASSERT_TRUE(indexed.Create(2, 2, 8));
  EXPECT_FALSE(dither.Reduce(indexed, out, pal, false));
  EXPECT_FALSE(dither.Reduce(cDIB{}, out, pal, false));
  EXPECT_FALSE(dither.SetPaletteMode(3));
  EXPECT_FALSE(dither.SetDitherMode(-1));
  EXPECT_EQ(std::tuple(dither.PaletteMode(), dither.DitherMode()), std::tuple(mDither8bpp::kOptimal, mDither8bpp::kNoDither));
  dither.SetPaletteMode(mDither8bpp::kWebSafe);
  cDIB picture = SolidPicture(2, 2, 255, 255, 255);
  ASSERT_TRUE(dither.Reduce(picture, picture, pal, false));
  EXPECT_EQ(std::tuple(picture.BitsPerPixel(), picture.Index(1, 1)), std::tuple(8, 215));
}

}  // namespace
}  // namespace lumetrix::gif
