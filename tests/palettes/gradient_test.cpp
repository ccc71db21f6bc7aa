// The gradient palette editor's drawing, its palette export and its stop files (.plt). The
// editor window's behaviour is tested on frmPalette.

#include <gtest/gtest.h>

#include "palettes/gradient.h"
#include "palettes/gradient_editor.h"
#include "palettes/pal_file.h"
#include "palettes/palette_error.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::palettes {
namespace {

using namespace testing;

constexpr int32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

TEST(GradientTest, BandWidthsPutTheWiderBandsLast) {
  const std::pair<std::pair<int32_t, int32_t>, std::vector<int32_t>> cases[] = {
      {{400, 2}, {200, 200}}, {{401, 2}, {200, 201}}, {{403, 4}, {100, 101, 101, 101}},
      {{400, 10}, std::vector<int32_t>(10, 40)}, {{3, 5}, {0, 0, 1, 1, 1}}, {{-5, 2}, {0, 0}}, {{10, 0}, {}}};
  for (const auto& [args, widths] : cases) EXPECT_EQ(BandWidths(args.first, args.second), widths) << args.first;
}

// Where the colour changes direction tells where a band starts; halves round to even.
TEST(GradientTest, BandsInterpolateEachChannel) {
  RgbImage img(401, 3);
  const std::vector<int32_t> colours = {kBlack, kWhite, kBlack};
  ASSERT_TRUE(DrawMultiGradient(img, 0, 0, 401, 3, colours));
  EXPECT_EQ(img.At(0, 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(img.At(200, 1), (Rgb{255, 255, 255}));  // the second band starts at 200
  EXPECT_EQ(img.At(199, 1).r, 254);
  EXPECT_EQ(img.At(100, 1).r, 128);  // 127.5
  EXPECT_EQ(img.At(400, 1).r, 1);    // 255 / 201
  RgbImage line(10, 1);
  ASSERT_TRUE(DrawMultiGradient(line, 0, 0, 10, 1, std::vector<int32_t>{kRed, kBlue}));
  const uint8_t red[10] = {255, 230, 204, 178, 153, 128, 102, 76, 51, 26};  // 255 (10 - x) / 10
  const uint8_t blue[10] = {0, 26, 51, 76, 102, 128, 153, 178, 204, 230};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(line.At(x, 0), (Rgb{red[x], 0, blue[x]})) << x;
}

// Stops of -1 are skipped; drawing stays inside the image. (Too few stops: see the window.)
TEST(GradientTest, SkipsMinusOneAndClipsToTheImage) {
  RgbImage img(4, 4, Rgb{9, 9, 9});
  EXPECT_TRUE(DrawMultiGradient(img, -4, 1, 8, 3, std::vector<int32_t>{-1, kBlack, -1, kWhite, -1}));
  EXPECT_EQ(img.At(0, 0), (Rgb{9, 9, 9}));  // row 0 above the band
  EXPECT_EQ(img.At(0, 1).r, 85);            // x = 0 is 4 of 12 into the band
  EXPECT_EQ(img.At(3, 3), (Rgb{9, 9, 9}));
  EXPECT_TRUE(DrawMultiGradient(img, 100, 100, 200, 200, std::vector<int32_t>{kBlack, kWhite}));  // outside
}

TEST(GradientTest, ExportSamplesTheMiddleRowAtWidthTimesIOver256) {
  RgbImage strip(400, 27, Rgb{1, 2, 3});
  for (int32_t x = 0; x < 400; ++x) strip.Set(x, 13, Rgb{uint8_t(x % 256), uint8_t(x / 256), 7});
  TempDir dir;
  ExportPal(strip, dir.path() / "e.pal");
  const Lut lut = ReadPalFile(dir.path() / "e.pal").value();
  for (std::size_t i = 0, x = 0; i < 256; ++i, x = 400 * i / 256)
    ASSERT_EQ((Rgb{lut.Red(i), lut.Green(i), lut.Blue(i)}), (Rgb{uint8_t(x % 256), uint8_t(x / 256), 7})) << i;
  EXPECT_EQ(SampleStripLut(RgbImage()).Red(5), 0);
}

// A stop file is its first 92 bytes (shorter ones are tested on the window).
TEST(GradientTest, LongerStopFilesAreReadAsFarAsTheStops) {
  StopFile stops;
  stops.colors[2] = 0x00102030u, stops.colors[11] = 0x11223344u, stops.borders[3] = 1;
  const auto bytes = EncodeStopFile(stops);
  std::vector<uint8_t> longer(5000, 0x77);
  std::copy(bytes.begin(), bytes.end(), longer.begin());
  TempDir dir;
  WriteBytes(dir.path() / "long.plt", longer);
  EXPECT_EQ(ReadStopFile(dir.path() / "long.plt"), stops);
  EXPECT_THROW(DecodeStopFile({}), PaletteError);
}

}  // namespace
}  // namespace lumetrix::palettes
