#include <gtest/gtest.h>

#include "palettes/gradient.h"
#include "palettes/gradient_editor.h"
#include "palettes/pal_file.h"
#include "palettes/palette_error.h"
#include "temp_folder.h"

namespace lumetrix::palettes {
namespace {

using testing::FolderContents;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr int32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

TEST(BandWidthTest, EvenAndUnevenSpans) {
  EXPECT_EQ(BandWidths(400, 2), (std::vector<int32_t>{200, 200}));
  EXPECT_EQ(BandWidths(401, 2), (std::vector<int32_t>{200, 201}));
  EXPECT_EQ(BandWidths(403, 4), (std::vector<int32_t>{100, 101, 101, 101}));
  EXPECT_EQ(BandWidths(400, 10), std::vector<int32_t>(10, 40));
  EXPECT_EQ(BandWidths(3, 5), (std::vector<int32_t>{0, 0, 1, 1, 1}));
  EXPECT_EQ(BandWidths(-5, 2), (std::vector<int32_t>{0, 0}));
  EXPECT_TRUE(BandWidths(10, 0).empty());
}

// Where the colour changes direction tells where a band starts.
TEST(DrawMultiGradientTest, ThreeStopsOverSpan401GiveBands200And201) {
  RgbImage img(401, 3);
  const std::vector<int32_t> colours = {kBlack, kWhite, kBlack};
  ASSERT_TRUE(DrawMultiGradient(img, 0, 0, 401, 3, colours));
  EXPECT_EQ(img.At(0, 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(img.At(200, 1), (Rgb{255, 255, 255}));  // second band starts at 200 with its first colour
  EXPECT_LT(img.At(199, 1).r, 255);
  EXPECT_EQ(img.At(100, 1).r, 128);   // 255 * 100 / 200 = 127.5 -> 128 (ties to even)
  EXPECT_EQ(img.At(400, 1).r, 1);     // 255 * 1 / 201 rounded
  RgbImage even(400, 1);
  ASSERT_TRUE(DrawMultiGradient(even, 0, 0, 400, 1, colours));
  EXPECT_EQ(even.At(200, 0).r, 255);
  EXPECT_EQ(even.At(399, 0).r, 1);    // 255 / 200 rounded
}

TEST(DrawMultiGradientTest, InterpolatesEachChannelLinearly) {
  RgbImage img(10, 1);
  const std::vector<int32_t> colours = {kRed, kBlue};  // (255,0,0) -> (0,0,255)
  ASSERT_TRUE(DrawMultiGradient(img, 0, 0, 10, 1, colours));
  // 255 * (10 - x) / 10 and 255 * x / 10, halves to even.
  const int red[10] = {255, 230, 204, 178, 153, 128, 102, 76, 51, 26};
  const int blue[10] = {0, 26, 51, 76, 102, 128, 153, 178, 204, 230};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(img.At(x, 0).r, red[x]) << x;
    EXPECT_EQ(img.At(x, 0).g, 0) << x;
    EXPECT_EQ(img.At(x, 0).b, blue[x]) << x;
  }
  EXPECT_EQ(img.At(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(img.At(5, 0).b, 128);  // 127.5 -> 128
}

TEST(DrawMultiGradientTest, SkipsMinusOneAndNeedsTwoColours) {
  RgbImage img(8, 2, Rgb{9, 9, 9});
  const std::vector<int32_t> one = {-1, kWhite, -1};
  EXPECT_FALSE(DrawMultiGradient(img, 0, 0, 8, 2, one));
  EXPECT_EQ(img, RgbImage(8, 2, Rgb{9, 9, 9}));  // nothing drawn
  const std::vector<int32_t> none;
  EXPECT_FALSE(DrawMultiGradient(img, 0, 0, 8, 2, none));
  const std::vector<int32_t> two = {-1, kBlack, -1, kWhite, -1};
  EXPECT_TRUE(DrawMultiGradient(img, 0, 0, 8, 2, two));
  EXPECT_EQ(img.At(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(img.At(4, 1), (Rgb{128, 128, 128}));
}

TEST(DrawMultiGradientTest, ClipsToTheImage) {
  RgbImage img(4, 4, Rgb{9, 9, 9});
  const std::vector<int32_t> colours = {kBlack, kWhite};
  EXPECT_TRUE(DrawMultiGradient(img, -4, 1, 8, 3, colours));
  EXPECT_EQ(img.At(0, 0), (Rgb{9, 9, 9}));  // row 0 outside top..bottom
  EXPECT_EQ(img.At(0, 1).r, 85);             // x = 0 is 4 of 12 into the band
  EXPECT_EQ(img.At(3, 3), (Rgb{9, 9, 9}));
  EXPECT_TRUE(DrawMultiGradient(img, 100, 100, 200, 200, colours));  // wholly outside
  EXPECT_TRUE(DrawMultiGradient(img, 3, 0, 1, 4, colours));          // empty span
}

TEST(ExportPalTest, SamplesAtWTimesIOver256AndHalfHeight) {
  RgbImage strip(400, 27);
  for (int32_t x = 0; x < 400; ++x)
    for (int32_t y = 0; y < 27; ++y)
      strip.Set(x, y, y == 13 ? Rgb{static_cast<uint8_t>(x % 256), static_cast<uint8_t>(x / 256), 7} : Rgb{1, 2, 3});
  const Lut lut = SampleStripLut(strip);
  for (std::size_t i = 0; i < 256; ++i) {
    const int32_t x = static_cast<int32_t>(400 * i / 256);
    ASSERT_EQ(lut.Red(i), x % 256) << i;
    ASSERT_EQ(lut.Green(i), x / 256) << i;
    ASSERT_EQ(lut.Blue(i), 7);
    ASSERT_EQ(lut.Reserved(i), 1);
  }
  TempFolder dir;
  ExportPal(strip, dir / "e.pal");
  ASSERT_EQ(ReadBytes(dir / "e.pal").size(), 1048u);
  EXPECT_EQ(*ReadPalFile(dir / "e.pal"), lut);
  EXPECT_EQ(SampleStripLut(RgbImage()), [] { Lut l; for (std::size_t c = 0; c < 256; ++c) l.Set(c, 0, 0, 0); return l; }());
}

TEST(StopFileTest, BytesOfTheInitialStops) {
  GradientEditor editor;
  const auto bytes = EncodeStopFile(editor.ToStopFile());
  ASSERT_EQ(bytes.size(), 92u);
  // Stop 1 red: FF 00 00 00; stop 2 orange (255,128,0): FF 80 00 00; stop 6 blue: 00 00 FF 00.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 12), (std::vector<uint8_t>{255, 0, 0, 0, 255, 128, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 24, bytes.begin() + 28), (std::vector<uint8_t>{0, 0, 255, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 40, bytes.begin() + 48), (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0, 0}));
  for (std::size_t i = 0; i < 11; ++i)
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 48 + 4 * i, bytes.begin() + 52 + 4 * i), (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(StopFileTest, RoundTripAndTruncation) {
  StopFile stops;
  for (std::size_t i = 0; i < 12; ++i) stops.colors[i] = 0x00102030u * static_cast<uint32_t>(i) + 0x11000000u * (i == 11);
  for (std::size_t i = 0; i < 11; ++i) stops.borders[i] = i % 2;
  const auto bytes = EncodeStopFile(stops);
  EXPECT_EQ(DecodeStopFile(bytes), stops);
  EXPECT_THROW(DecodeStopFile(std::span<const uint8_t>(bytes.data(), 91)), PaletteError);
  EXPECT_THROW(DecodeStopFile({}), PaletteError);
  TempFolder dir;
  WriteStopFile(dir / "s.plt", stops);
  EXPECT_EQ(ReadBytes(dir / "s.plt").size(), 92u);
  EXPECT_EQ(ReadStopFile(dir / "s.plt"), stops);
  WriteBytes(dir / "short.plt", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 50));
  EXPECT_THROW(ReadStopFile(dir / "short.plt"), PaletteError);
  EXPECT_THROW(ReadStopFile(dir / "none.plt"), PaletteError);
  std::vector<uint8_t> longer(bytes.begin(), bytes.end());
  longer.resize(5000, 0x77);
  WriteBytes(dir / "long.plt", longer);
  EXPECT_EQ(ReadStopFile(dir / "long.plt"), stops);
}

TEST(GradientEditorTest, OpensWithElevenActiveStopsDrawn) {
  GradientEditor editor;
  const auto initial = GradientEditor::InitialColors();
  for (int i = 0; i < 11; ++i) {
    EXPECT_TRUE(editor.IsActive(i));
    EXPECT_EQ(editor.StopColor(i), initial[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(editor.SpareSlot(), 0u);
  const RgbImage& strip = editor.Strip();
  ASSERT_EQ(strip.Width(), 400);
  ASSERT_EQ(strip.Height(), 27);
  // Ten bands of 40 pixels, each starting at its stop's colour.
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(strip.At(40 * i, 13), RgbOf(initial[static_cast<std::size_t>(i)])) << i;
  EXPECT_EQ(strip.At(0, 0), (Rgb{0, 0, 0}));
}

TEST(GradientEditorTest, FailureKeepsThePreviousPicture) {
  GradientEditor editor;
  for (int i = 2; i < 11; ++i) ASSERT_TRUE(editor.ToggleActive(i));
  const RgbImage twoStops = editor.Strip();
  // One band from black to red.
  EXPECT_EQ(twoStops.At(0, 5), (Rgb{0, 0, 0}));
  EXPECT_EQ(twoStops.At(200, 5), (Rgb{128, 0, 0}));
  EXPECT_EQ(twoStops.At(399, 5).g, 0);
  EXPECT_FALSE(editor.ToggleActive(1));
  EXPECT_FALSE(editor.IsActive(1));
  EXPECT_EQ(editor.Strip(), twoStops);
  EXPECT_FALSE(editor.SetStopColor(0, 0x00FFFFFF));
  EXPECT_EQ(editor.Strip(), twoStops);
  EXPECT_TRUE(editor.ToggleActive(1));
}

TEST(GradientEditorTest, SaveWritesBothFilesLoadRestoresInactiveColours) {
  TempFolder bundled, user;
  const PaletteFolders folders{bundled.Path(), user / "palettes"};
  GradientEditor editor;
  editor.SetStopColor(3, MakeColorRef(1, 2, 3));
  editor.ToggleActive(3);
  editor.Save(folders, "My Gradient");
  EXPECT_EQ(FolderContents(folders.writable), (std::vector<std::string>{"My Gradient.pal", "My Gradient.plt"}));
  EXPECT_TRUE(FolderContents(bundled.Path()).empty());
  const auto pal = ReadPalFile(folders.writable / "My Gradient.pal");
  ASSERT_TRUE(pal.has_value());
  EXPECT_EQ(*pal, editor.ExportLut());
  EXPECT_EQ(ReadBytes(folders.writable / "My Gradient.pal").size(), 1048u);
  const auto plt = ReadBytes(folders.writable / "My Gradient.plt");
  ASSERT_EQ(plt.size(), 92u);
  EXPECT_EQ(std::vector<uint8_t>(plt.begin() + 12, plt.begin() + 16), (std::vector<uint8_t>{1, 2, 3, 0}));
  EXPECT_EQ(plt[48 + 12], 0);  // stop 3 inactive

  GradientEditor other;
  ASSERT_TRUE(other.Load(folders, "My Gradient"));
  EXPECT_EQ(other.ToStopFile(), editor.ToStopFile());
  EXPECT_EQ(other.Strip(), editor.Strip());
  EXPECT_FALSE(other.IsActive(3));
  other.ToggleActive(3);
  EXPECT_EQ(other.StopColor(3), MakeColorRef(1, 2, 3));
}

TEST(GradientEditorTest, LoadOfHostileStopFiles) {
  TempFolder bundled, user;
  const PaletteFolders folders{bundled.Path(), user.Path()};
  GradientEditor editor;
  const StopFile before = editor.ToStopFile();
  WriteBytes(user / "short.plt", std::vector<uint8_t>(91, 1));
  EXPECT_THROW(editor.Load(folders, "short"), PaletteError);
  EXPECT_THROW(editor.Load(folders, "missing"), PaletteError);
  EXPECT_THROW(editor.Load(folders, ""), PaletteError);
  EXPECT_THROW(editor.Load(folders, "../short"), PaletteError);
  EXPECT_EQ(editor.ToStopFile(), before);

  // High bytes and odd border values: colours masked, non-zero borders active, spare slot kept.
  StopFile odd;
  odd.colors.fill(0xFFFFFFFFu);
  odd.borders.fill(7);
  odd.borders[5] = 0;
  WriteStopFile(user / "odd.plt", odd);
  EXPECT_TRUE(editor.Load(folders, "odd"));
  EXPECT_EQ(editor.StopColor(0), 0x00FFFFFFu);
  EXPECT_TRUE(editor.IsActive(0));
  EXPECT_FALSE(editor.IsActive(5));
  EXPECT_EQ(editor.SpareSlot(), 0xFFFFFFFFu);
  EXPECT_EQ(editor.Strip().At(100, 10), (Rgb{255, 255, 255}));
}

TEST(GradientEditorTest, LoadFindsBundledStopFilesAndPrefersTheUsersCopy) {
  TempFolder bundled, user;
  const PaletteFolders folders{bundled.Path(), user.Path()};
  StopFile a;
  a.colors[0] = 0x000011;
  a.borders.fill(1);
  WriteStopFile(bundled / "Shared.plt", a);
  GradientEditor editor;
  editor.Load(folders, "Shared");
  EXPECT_EQ(editor.StopColor(0), 0x000011u);
  a.colors[0] = 0x000022;
  WriteStopFile(user / "Shared.plt", a);
  editor.Load(folders, "Shared");
  EXPECT_EQ(editor.StopColor(0), 0x000022u);
}

}  // namespace
}  // namespace lumetrix::palettes
