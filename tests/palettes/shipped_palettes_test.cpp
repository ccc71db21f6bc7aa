#include <gtest/gtest.h>

#include <cmath>

#include "palettes/pal_file.h"
#include "palettes/palette_catalogue.h"
#include "palettes/shipped_palettes.h"
#include "temp_folder.h"

#ifndef LUMETRIX_SHIPPED_PALETTES
#error "LUMETRIX_SHIPPED_PALETTES must name data/palettes"
#endif

namespace lumetrix::palettes {
namespace {

using testing::ReadBytes;

double Linear(uint8_t v) {
  const double c = v / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// OKLab lightness, from the published matrices (independent of the generator's code path).
double OkL(uint8_t r8, uint8_t g8, uint8_t b8) {
  const double r = Linear(r8), g = Linear(g8), b = Linear(b8);
  const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
  const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
  const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
  return 0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s;
}

TEST(ShippedPalettesTest, FilesMatchTheGenerator) {
  const std::filesystem::path folder = LUMETRIX_SHIPPED_PALETTES;
  const auto shipped = ShippedPalettes();
  ASSERT_GE(shipped.size(), 5u);
  for (const auto& p : shipped) {
    const auto bytes = ReadBytes(folder / p.fileName);
    const auto want = EncodePalFile(p.table);
    ASSERT_EQ(bytes.size(), 1048u) << p.fileName;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), want.begin())) << p.fileName << " is out of date";
  }
}

TEST(ShippedPalettesTest, AllAppearInTheCatalogue) {
  PaletteCatalogue cat;
  const std::vector<std::filesystem::path> folders = {LUMETRIX_SHIPPED_PALETTES};
  cat.LoadLuts(folders);
  std::vector<std::string> captions;
  for (int i = 8; i < cat.Count(); ++i) captions.push_back(cat.Entries()[static_cast<std::size_t>(i)].caption);
  for (const char* want : {"Fire", "Ice", "Orange hot", "Cyan", "Magenta", "Uniform violet-yellow", "Uniform ember"})
    EXPECT_NE(std::find(captions.begin(), captions.end(), want), captions.end()) << want;
}

TEST(ShippedPalettesTest, RampsRunFromDarkToBright) {
  for (const auto& p : ShippedPalettes()) {
    const Lut& t = p.table;
    EXPECT_LT(OkL(t.Red(0), t.Green(0), t.Blue(0)), 0.3) << p.fileName;
    EXPECT_GT(OkL(t.Red(255), t.Green(255), t.Blue(255)), 0.65) << p.fileName;
    for (std::size_t c = 1; c < 256; ++c)
      ASSERT_GE(OkL(t.Red(c), t.Green(c), t.Blue(c)), OkL(t.Red(c - 1), t.Green(c - 1), t.Blue(c - 1)) - 1e-9)
          << p.fileName << " entry " << c;
  }
}

TEST(ShippedPalettesTest, UniformRampsStepEvenlyInLightness) {
  for (const auto& p : ShippedPalettes()) {
    if (p.fileName.rfind("Uniform", 0) != 0) continue;
    const Lut& t = p.table;
    const double span = OkL(t.Red(255), t.Green(255), t.Blue(255)) - OkL(t.Red(0), t.Green(0), t.Blue(0));
    const double ideal = span / 255;
    for (std::size_t c = 1; c < 256; ++c) {
      const double step = OkL(t.Red(c), t.Green(c), t.Blue(c)) - OkL(t.Red(c - 1), t.Green(c - 1), t.Blue(c - 1));
      ASSERT_GT(step, 0.25 * ideal) << p.fileName << " entry " << c;
      ASSERT_LT(step, 2.0 * ideal) << p.fileName << " entry " << c;
    }
  }
}

}  // namespace
}  // namespace lumetrix::palettes
